#include "app/product/ProductInfoVekX86.h"

#include "app/product/ProductConstants.h"

ProductInfoVekX86::ProductInfoVekX86() {
    productGuid_ = product::kProductGuid;
    packageName_ = product::kPackageBaseName;
    x64_ = false;
    displayName_ = product::kDisplayName;
    shortName_ = product::kShortName;
    shortNameArch_ = product::kShortName;
    productName_ = product::kDisplayName;
    version_ = product::kProductVersion;
    publisher_ = product::kPublisher;
    imageId_ = 138;
    imageId2_ = 139;
}

ProductInfoVekX86::~ProductInfoVekX86() = default;
