#pragma once
#include <span>

// One fixed text in the four languages (UTF-8). Empty or null texts fall back.
struct MessageRow {
    const char* key;
    const char* hu;
    const char* en;
    const char* de;
    const char* sl;
};

std::span<const MessageRow> messageTable();
