// The 32-bit edition of the product.
#pragma once

#include "app/product/ProductInfoBase.h"

class ProductInfoVekX86 : public ProductInfoBase {
public:
    ProductInfoVekX86();
    ~ProductInfoVekX86() override;
};
