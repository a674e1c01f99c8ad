#include "support/FakeNetFolder.h"

#include <filesystem>

void FakeNetFolder::Add(const std::string& name, const std::string& address, int ifindex, Bus bus) const {
    namespace fs = std::filesystem;
    const fs::path adapter = dir_.Path("devices/net/" + name);
    dir_.WriteFile("devices/net/" + name + "/address", address.empty() ? "\n" : address + "\n");
    dir_.WriteFile("devices/net/" + name + "/ifindex", std::to_string(ifindex) + "\n");
    fs::create_directories(path());
    fs::create_symlink(adapter, fs::path(path()) / name);
    if (bus == Bus::kNone) {
        return;
    }
    const std::string busName = bus == Bus::kPci ? "pci" : "usb";
    const fs::path device = dir_.Path("devices/hw/" + name + "-device");
    fs::create_directories(device);
    fs::create_directories(dir_.Path("bus/" + busName));
    fs::create_symlink(fs::path("../../../bus") / busName, device / "subsystem");
    fs::create_symlink(device, adapter / "device");
}
