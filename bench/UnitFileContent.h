#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace psion::bench {

// What a generated unit file holds.
enum class ContentKind {
    UnitBatch,     // the five lines the setup writes, then filler lines
    SerialConfig,  // serial sections, each with a port line and a serial line
    OneLine,       // one serial line of the whole size, without a line end
    LineFeeds,     // nothing but line feeds
};

// "batch", "serial", "one-line" or "line-feeds".
std::optional<ContentKind> ContentKindNamed(std::string_view name);
std::string_view NameOf(ContentKind kind);

// The port that the generated serial lines carry.
inline constexpr std::string_view kGeneratedPort = "COM1";

// Writes a file of exactly that many bytes of that content, creating or
// truncating it. Lines end in CR LF, as the program writes them. Returns false
// when the file cannot be written.
bool WriteContent(ContentKind kind, std::uint64_t bytes, const std::string& nativePath);

}  // namespace psion::bench
