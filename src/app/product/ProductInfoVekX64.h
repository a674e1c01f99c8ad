// The 64-bit edition of the product: the one this installer is configured for.
#pragma once

#include "app/product/ProductInfoBase.h"

class ProductInfoVekX64 : public ProductInfoBase {
public:
    ProductInfoVekX64();
    ~ProductInfoVekX64() override;
};
