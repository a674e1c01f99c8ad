// Makes the calling thread treat multi-byte text as UTF-8 while the object
// lives. Archive entry names are Unicode; the extraction library turns them
// into the thread's multi-byte form, and a program that never chose a locale
// runs in "C", where every non-ASCII name would be lost. Only this thread is
// affected; the process locale stays as it is.
#pragma once

#include <locale.h>

class Utf8LocaleScope {
public:
    Utf8LocaleScope();
    ~Utf8LocaleScope();
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

    // False when the system has no UTF-8 locale; the thread's locale is then unchanged.
    bool active() const { return utf8_ != locale_t{}; }

private:
    locale_t utf8_{};
    locale_t previous_{};
};
