#pragma once

#include <QObject>

#include <functional>

// Each test class registers itself with TANDRIMO_TEST(Class); the shared main() of a test
// executable runs every registered class in turn, so that a folder holds several test files.
namespace testmain {
void registerTest(const char *name, std::function<QObject *()> create);
}

#define TANDRIMO_TEST(Class)                                                                       \
    namespace {                                                                                    \
    const bool registered_##Class = [] {                                                           \
        testmain::registerTest(#Class, [] { return new Class; });                                  \
        return true;                                                                               \
    }();                                                                                           \
    }
