#include "app/product/ProductInfoVekX64.h"

#include "app/product/ProductConstants.h"

ProductInfoVekX64::ProductInfoVekX64() {
    productGuid_ = product::kProductGuid;
    packageName_ = std::string(product::kPackageBaseName) + "_x64";
    x64_ = true;
    displayName_ = product::kDisplayName;
    shortName_ = product::kShortName;
    shortNameArch_ = std::string(product::kShortName) + " (x64)";
    productName_ = product::kDisplayName;
    version_ = product::kProductVersion;
    publisher_ = product::kPublisher;
    imageId_ = 187;
    imageId2_ = 188;
}

ProductInfoVekX64::~ProductInfoVekX64() = default;
