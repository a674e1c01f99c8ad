#include "app/product/IProductInfo.h"
#include "app/product/ProductInfoVekX64.h"
#include "app/product/ProductInfoVekX86.h"
#include "util/HResult.h"

std::int32_t CreateProductInfo(ProductInfoHolder& holder, bool x64) {
    if (x64) {
        holder = std::make_shared<ProductInfoVekX64>();
    } else {
        holder = std::make_shared<ProductInfoVekX86>();
    }
    return holder ? S_OK : E_POINTER;
}

const ProductInfoHolder& GetProductInfo() {
    // Made on first use, thread-safe by the language's static initialisation,
    // and never destroyed: worker threads may still read it during exit.
    static const ProductInfoHolder* holder = [] {
        auto* made = new ProductInfoHolder();
        CreateProductInfo(*made, true);
        return made;
    }();
    return *holder;
}
