#include "tags/flac/vorbiscomment.h"

#include <algorithm>

#include "common/text.h"
#include "tags/flac/flactaglibrary.h"

namespace tags {

namespace {

std::string ValidUtf8(std::string s) {
    if (common::isValidUtf8(s)) return s;
    std::string out;
    for (size_t pos = 0; pos < s.size();) common::appendUtf8(out, common::decodeUtf8(s, pos));
    return out;
}

}  // namespace

std::string TVorbisComment::GetText() {
    if (Format != vcfText) return {};
    AlreadyParsed = true;
    std::string s = Stream.Bytes();
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n') c = ' ';
    return ValidUtf8(std::move(s));
}

bool TVorbisComment::SetText(const std::string& Text) {
    if (Text.empty()) return Delete();
    Stream.Clear();
    Stream.Bytes() = Text;
    Format = vcfText;
    return true;
}

std::vector<std::string> CommentListItems(const std::string& v) {
    std::vector<std::string> lines, items;
    for (size_t start = 0; start < v.size();) {
        size_t end = v.find("\r\n", start);
        if (end == std::string::npos) end = v.size();
        lines.push_back(ValidUtf8(v.substr(start, end - start)));
        start = end + 2;
    }
    for (size_t i = 0; i + 1 < lines.size(); i += 2) items.push_back(lines[i] + "=" + lines[i + 1]);
    return items;
}

std::string CommentListValue(const std::vector<std::string>& items) {
    std::string v;
    for (const std::string& line : items) {
        size_t eq = line.find('=');
        v += line.substr(0, eq) + "\r\n";
        v += (eq == std::string::npos ? std::string() : line.substr(eq + 1)) + "\r\n";
    }
    return v;
}

bool TVorbisComment::GetList(std::vector<std::string>& List) {
    List.clear();
    if (Format != vcfText) return false;
    AlreadyParsed = true;
    List = CommentListItems(Stream.Bytes());
    return !List.empty();
}

bool TVorbisComment::SetList(const std::vector<std::string>& List) {
    Stream.Clear();
    Stream.Bytes() = CommentListValue(List);
    Format = vcfText;
    return true;
}

void TVorbisComment::Clear() {
    Format = vcfUnknown;
    Stream.Clear();
}

void TVorbisComment::Assign(const TVorbisComment& Source) {
    Clear();
    Name = Source.Name;
    Format = Source.Format;
    Stream.Bytes() = Source.Stream.Bytes();
}

int64_t TVorbisComment::CalculateTotalFrameSize() const {
    return static_cast<int64_t>(Name.size()) + 1 + Stream.GetSizeConst();
}

bool TVorbisComment::Delete() {
    if (!Parent) return false;
    auto& list = Parent->Tags;
    auto it = std::find_if(list.begin(), list.end(), [this](const auto& p) { return p.get() == this; });
    if (it == list.end()) return false;
    list.erase(it);  // destroys this object: nothing may touch it afterwards
    return true;
}

}  // namespace tags
