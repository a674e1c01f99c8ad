// Identity values that let the usage reports and web links recognise a
// machine and a run without asking the user: a run identifier, an install id
// for the product's own set-up run, the machine's adapter addresses without
// those of virtual machines, and one address text for web links that prefers
// physical adapters.
#pragma once

#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"

// A fresh random GUID (version 4) as 32 upper-case hexadecimal digits.
std::string NewGuidText();

// 32 lower-case hexadecimal digits: the MD5 digest of 256 pseudo-random
// 32-bit numbers. The generator is seeded from the millisecond tick and the
// system's random source, so two ids made in the same millisecond differ.
std::string MakeInstallId();

// "%02x-%02x-%02x-%02x-%02x-%02x" of the first six bytes (missing bytes as 00).
std::string FormatAdapterAddress(const std::vector<std::uint8_t>& address);

// Whether one of the virtual-machine vendor prefixes occurs anywhere in the
// address text, ignoring letter case.
bool IsVirtualMachineAddress(const std::string& addressText);

// Whether the adapter is backed by hardware: its device sits on a PCI bus,
// or it has a device at all.
bool IsPhysicalAdapter(const platform::NetworkAdapter& adapter);

// The address texts of the first three adapters, less the virtual-machine
// ones, sorted. Empty when the adapters cannot be listed.
std::vector<std::string> GetAdapterAddressList(const std::string& netFolder = platform::kSystemNetFolder);

// The addresses of the physical adapters (any of them), else of the first
// three non-virtual ones, else of the first three adapters, sorted and joined
// by ":". Empty when the adapters cannot be listed.
std::string GetLinkAddressText(const std::string& netFolder = platform::kSystemNetFolder);
