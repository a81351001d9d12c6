#include "tags/cli/json.h"

#include "common/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tags::cli {

std::string JsonQuote(std::string_view s) {
    std::string out = "\"";
    size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp = common::decodeUtf8(s, pos);
        switch (cp) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (cp < 0x20 || cp == 0x7F) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(cp));
                out += esc;
            } else {
                common::appendUtf8(out, cp);
            }
        }
    }
    return out += '"';
}

void JsonWriter::BeforeValue() {
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (!FFirst.empty()) {
        if (!FFirst.back()) FOut += ',';
        FFirst.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    FOut += '{';
    FFirst.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    FOut += '}';
    FFirst.pop_back();
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    FOut += '[';
    FFirst.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    FOut += ']';
    FFirst.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    FOut += JsonQuote(key);
    FOut += ':';
    FAfterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    FOut += JsonQuote(value);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    FOut += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        FOut += "null";
        return *this;
    }
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    FOut.append(buf, ec == std::errc() ? end : buf);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    FOut += value ? "true" : "false";
    return *this;
}

}  // namespace tags::cli
