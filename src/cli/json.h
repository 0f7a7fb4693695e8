#pragma once
// The little JSON the command-line tool prints: objects, arrays, strings,
// integers, numbers, booleans and null, on one line, in plain ASCII.

#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// The text as a JSON string literal. Quote, backslash and control characters
// are escaped; bytes of 128 and above are written as \u00XX (read as
// Latin-1), so the output is ASCII and valid whatever bytes came in.
std::string jsonString(std::string_view text);

// Shortest fixed-point text that reads back as the same double; "null" for a
// value that is not finite (JSON has no NaN or infinity).
std::string jsonNumber(double value);

// Builds one JSON value. Separators are ", " and ": ", as people write it.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    // The key of the next member of the object being written.
    JsonWriter& key(std::string_view name);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& value(long long number);
    JsonWriter& value(int number) { return value(static_cast<long long>(number)); }
    JsonWriter& value(double number);
    JsonWriter& boolean(bool truth);
    JsonWriter& null();

    const std::string& text() const { return text_; }

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);

    std::string text_;
    // Per open container: whether it already holds an element.
    std::vector<bool> hasElement_;
    bool afterKey_ = false;
};

} // namespace velmora::cli
