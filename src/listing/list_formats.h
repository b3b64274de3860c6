#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "listing/remote_entry.h"

// The layouts of the listing parser, one function each; parseListLine picks one and applies
// the link rule to the result. Each fills a fresh entry.
namespace quay::listformat {

void text(std::string_view line, RemoteEntry& e);
void microsoftWords(std::string_view line, RemoteEntry& e);
void mac(std::string_view line, RemoteEntry& e);
void customColumns(std::string_view line, std::string_view layout, RemoteEntry& e);
void vms(std::string_view line, RemoteEntry& e);
void fixedColumns(std::string_view line, RemoteEntry& e);
void wuftp(std::string_view line, RemoteEntry& e);
void unixScan(std::string_view line, std::chrono::year_month_day today, RemoteEntry& e);

// Marks the line as no entry (name "."). Assigned as one character: GCC 12 falsely warns
// (-Wrestrict) about assigning the literal here.
inline void markNoEntry(RemoteEntry& e) {
    e.name.assign(1, '.');
}

// Listings do not say what a link points to: a link whose name has no extension is taken
// for a directory.
inline bool linkLooksLikeDirectory(std::string_view name) {
    return name.find('.') == std::string_view::npos;
}

// The first character is "d" (the directory mark of Unix attributes and of text listings).
constexpr bool startsWithD(std::string_view text) {
    return !text.empty() && text[0] == 'd';
}

}  // namespace quay::listformat
