#include "install/Utf8LocaleScope.h"

#include <initializer_list>

Utf8LocaleScope::Utf8LocaleScope() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        utf8_ = ::newlocale(LC_CTYPE_MASK, name, locale_t{});
        if (utf8_ != locale_t{}) {
            previous_ = ::uselocale(utf8_);
            return;
        }
    }
}

Utf8LocaleScope::~Utf8LocaleScope() {
    if (utf8_ != locale_t{}) {
        ::uselocale(previous_);
        ::freelocale(utf8_);
    }
}
