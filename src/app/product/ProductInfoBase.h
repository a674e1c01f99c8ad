// Holds the profile's values and answers the getters; the two product
// editions only fill the values.
#pragma once

#include "app/product/IProductInfo.h"

class ProductInfoBase : public IProductInfo {
public:
    const std::string& GetProductGuid() const override { return productGuid_; }
    const std::string& GetPackageName() const override { return packageName_; }
    const std::string& GetDownloadSource() const override { return downloadSource_; }
    const std::string& GetReserved() const override { return reserved_; }
    bool IsX64() const override { return x64_; }
    const std::string& GetDisplayName() const override { return displayName_; }
    const std::string& GetShortName() const override { return shortName_; }
    const std::string& GetShortNameArch() const override { return shortNameArch_; }
    const std::string& GetVersion() const override { return version_; }
    const std::string& GetPublisher() const override { return publisher_; }
    const std::string& GetVersionLabel() const override { return versionLabel_; }
    std::int32_t GetImageId() const override { return imageId_; }
    std::int32_t GetImageId2() const override { return imageId2_; }
    const std::string& GetProductName() const override { return productName_; }

protected:
    ProductInfoBase() = default;

    std::string productGuid_;
    std::string packageName_;
    std::string downloadSource_;
    std::string reserved_;
    bool x64_ = false;
    std::string displayName_;
    std::string shortName_;
    std::string shortNameArch_;
    std::string productName_;
    std::string version_;
    std::string publisher_;
    std::string versionLabel_;
    std::int32_t imageId_ = 0;
    std::int32_t imageId2_ = 0;
};
