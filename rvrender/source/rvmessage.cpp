#include "rvmessage.h"

#include <cstdio>

namespace {
rvMessageHandler gHandler = nullptr;
}

void rvShowMessage(const char* text, const char* caption) {
    if (gHandler) {
        gHandler(text ? text : "", caption ? caption : "");
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

rvMessageHandler rvSetMessageHandler(rvMessageHandler handler) {
    rvMessageHandler previous = gHandler;
    gHandler = handler;
    return previous;
}
