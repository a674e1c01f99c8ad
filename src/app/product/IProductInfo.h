// The product profile: everything that names the one product this installer
// installs. It supplies the defaults of the package information until the real
// block is read from the downloaded package. Built once, never changed, so any
// thread may read it without locking.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class IProductInfo {
public:
    virtual ~IProductInfo() = default;

    virtual const std::string& GetProductGuid() const = 0;
    // The base of the downloaded full installer's file name.
    virtual const std::string& GetPackageName() const = 0;
    // Written to the log before the download starts.
    virtual const std::string& GetDownloadSource() const = 0;
    virtual const std::string& GetReserved() const = 0;
    virtual bool IsX64() const = 0;
    virtual const std::string& GetDisplayName() const = 0;
    // Default install sub-folder and uninstall key name.
    virtual const std::string& GetShortName() const = 0;
    virtual const std::string& GetShortNameArch() const = 0;
    virtual const std::string& GetVersion() const = 0;
    virtual const std::string& GetPublisher() const = 0;
    // The start page's version label until the version text resource is read.
    virtual const std::string& GetVersionLabel() const = 0;
    // Bitmap resource numbers of the two product images.
    virtual std::int32_t GetImageId() const = 0;
    virtual std::int32_t GetImageId2() const = 0;
    // Default product name of the package information block.
    virtual const std::string& GetProductName() const = 0;
};

// The process-wide holder of the profile.
using ProductInfoHolder = std::shared_ptr<IProductInfo>;

// The process-wide profile, created on first use (the 64-bit product) and
// never released. Every call returns the same object.
const ProductInfoHolder& GetProductInfo();

// Creates the 64-bit or the 32-bit profile into the holder; E_POINTER when the
// holder is still empty afterwards, else 0.
std::int32_t CreateProductInfo(ProductInfoHolder& holder, bool x64);
