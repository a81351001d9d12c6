// A small JSON writer for orvelin-tags: one value at a time, commas and
// escaping handled, output always valid UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tags::cli {

// The text as a quoted JSON string; invalid UTF-8 becomes U+FFFD.
std::string JsonQuote(std::string_view utf8);

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    // Inside an object, every value is preceded by its key.
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Int(int64_t value);
    // Shortest text that reads back as the same double; null when not finite.
    JsonWriter& Double(double value);
    JsonWriter& Bool(bool value);

    const std::string& Text() const { return FOut; }

private:
    void BeforeValue();
    std::string FOut;
    std::vector<bool> FFirst;  // per open container: nothing written in it yet
    bool FAfterKey = false;
};

}  // namespace tags::cli
