// Accessors for text, comment, URL, user-defined and list frames.
#include "common/text.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/id3v2/id3v2text.h"

namespace tags {

using namespace id3v2;

namespace {

bool TrimWanted(const TID3v2Frames& frames) { return !frames.Root || frames.Root->TrimText; }

// Reads strings while each ended with a terminator and data remains.
std::vector<std::string> ReadValues(TextReader& r) {
    std::vector<std::string> values;
    std::string s;
    for (;;) {
        bool terminated = r.ReadString(s);
        values.push_back(s);
        if (!terminated || r.AtEnd()) break;
    }
    return values;
}

struct UserText {
    std::string description;
    std::vector<std::string> values;
};

bool ReadUserText(const TID3v2Frame* f, UserText& out) {
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    r.ReadString(out.description);
    if (!r.AtEnd()) out.values = ReadValues(r);
    return true;
}

std::string Joined(const TID3v2Frames& frames, const std::vector<std::string>& values) {
    std::string text = JoinLines(values);
    return TrimWanted(frames) ? TrimControl(text) : text;
}

}  // namespace

// --- text frames --------------------------------------------------------------

std::string TID3v2Frames::GetText(int64_t FrameIndex, bool ReturnNativeText) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return {};
    TextReader r(f->Data());
    r.SetNative(ReturnNativeText);
    r.ReadEncoding();
    return Joined(*this, ReadValues(r));
}

std::string TID3v2Frames::GetText(std::string_view FrameID, bool ReturnNativeText) const {
    return GetText(FrameExists(FrameID), ReturnNativeText);
}

bool TID3v2Frames::SetText(int64_t FrameIndex, std::string_view Text, TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = char(EncodingByte(TextEncoding)) + EncodeText(Text, TextEncoding, true) + Terminator(TextEncoding);
    return true;
}

bool TID3v2Frames::SetText(std::string_view FrameID, std::string_view Text, TID3v2TextEncoding TextEncoding) {
    if (Text.empty()) {
        DeleteFrame(FrameID);
        return true;
    }
    return SetText(IndexFor(FrameID, true), Text, TextEncoding);
}

bool TID3v2Frames::GetTextMultiple(int64_t FrameIndex, std::vector<std::string>& List) const {
    List = SplitLines(GetText(FrameIndex));
    return !List.empty();
}

bool TID3v2Frames::GetTextMultiple(std::string_view FrameID, std::vector<std::string>& List) const {
    return GetTextMultiple(FrameExists(FrameID), List);
}

bool TID3v2Frames::SetTextMultiple(int64_t FrameIndex, const std::vector<std::string>& List,
                                   TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string& d = f->Data();
    d.push_back(char(EncodingByte(TextEncoding)));
    for (size_t i = 0; i < List.size(); ++i) d += EncodeText(List[i], TextEncoding, i == 0) + Terminator(TextEncoding);
    return true;
}

bool TID3v2Frames::SetTextMultiple(std::string_view FrameID, const std::vector<std::string>& List,
                                   TID3v2TextEncoding TextEncoding) {
    return SetTextMultiple(IndexFor(FrameID, true), List, TextEncoding);
}

bool TID3v2Frames::SetRawText(int64_t FrameIndex, std::string_view Text) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = common::utf8ToLegacy(Text);
    return true;
}

bool TID3v2Frames::SetRawText(std::string_view FrameID, std::string_view Text) {
    return SetRawText(IndexFor(FrameID, true), Text);
}

// --- comments and lyrics ------------------------------------------------------

std::string TID3v2Frames::GetContent(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const {
    LanguageID.clear();
    Description.clear();
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return {};
    TextReader r(f->Data());
    r.ReadEncoding();
    std::string language, text;
    r.ReadRaw(3, language);
    LanguageID = common::latin1ToUtf8(language);
    r.ReadString(Description);
    r.ReadString(text);
    return text;
}

std::string TID3v2Frames::GetContent(std::string_view FrameID, std::string& LanguageID,
                                     std::string& Description) const {
    return GetContent(FrameExists(FrameID), LanguageID, Description);
}

std::string TID3v2Frames::GetComment(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const {
    return GetContent(FrameIndex, LanguageID, Description);
}
std::string TID3v2Frames::GetComment(std::string_view FrameID, std::string& LanguageID,
                                     std::string& Description) const {
    return GetContent(FrameID, LanguageID, Description);
}
std::string TID3v2Frames::GetLyrics(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const {
    return GetContent(FrameIndex, LanguageID, Description);
}
std::string TID3v2Frames::GetLyrics(std::string_view FrameID, std::string& LanguageID, std::string& Description) const {
    return GetContent(FrameID, LanguageID, Description);
}

bool TID3v2Frames::SetContent(int64_t FrameIndex, std::string_view Content, std::string_view LanguageID,
                              std::string_view Description, TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = char(EncodingByte(TextEncoding)) + LanguageBytes(LanguageID) +
                EncodeText(Description, TextEncoding, true) + Terminator(TextEncoding) +
                EncodeText(Content, TextEncoding, true) + Terminator(TextEncoding);
    return true;
}

bool TID3v2Frames::SetContent(std::string_view FrameID, std::string_view Content, std::string_view LanguageID,
                              std::string_view Description, TID3v2TextEncoding TextEncoding) {
    return SetContent(IndexFor(FrameID, true), Content, LanguageID, Description, TextEncoding);
}

bool TID3v2Frames::SetComment(int64_t FrameIndex, std::string_view Comment, std::string_view LanguageID,
                              std::string_view Description) {
    return SetContent(FrameIndex, Comment, LanguageID, Description, teUnicode);
}
bool TID3v2Frames::SetComment(std::string_view FrameID, std::string_view Comment, std::string_view LanguageID,
                              std::string_view Description) {
    return SetContent(FrameID, Comment, LanguageID, Description, teUnicode);
}
bool TID3v2Frames::SetLyrics(int64_t FrameIndex, std::string_view Lyrics, std::string_view LanguageID,
                             std::string_view Description) {
    return SetContent(FrameIndex, Lyrics, LanguageID, Description, teUnicode);
}
bool TID3v2Frames::SetLyrics(std::string_view FrameID, std::string_view Lyrics, std::string_view LanguageID,
                             std::string_view Description) {
    return SetContent(FrameID, Lyrics, LanguageID, Description, teUnicode);
}

int64_t TID3v2Frames::FindCommentByDescription(std::string_view Description, std::string& LanguageID,
                                               std::string& Comment) const {
    const std::string wanted = UpperNoCase(Description);
    const TFrameID comm = FrameIDFromString("COMM");
    for (int64_t i = 0; i < FrameCount(); ++i) {
        if (Frames[size_t(i)]->ID != comm) continue;
        std::string language, description;
        std::string text = GetContent(i, language, description);
        if (UpperNoCase(description) == wanted) {
            LanguageID = language;
            Comment = text;
            return i;
        }
    }
    return -1;
}

bool TID3v2Frames::SetCommentByDescription(std::string_view Description, std::string_view LanguageID,
                                           std::string_view Comment) {
    std::string language, text;
    int64_t i = FindCommentByDescription(Description, language, text);
    if (i < 0) i = AddFrame("COMM");
    return SetComment(i, Comment, LanguageID, Description);
}

// --- URLs -------------------------------------------------------------------

std::string TID3v2Frames::GetURL(int64_t FrameIndex) const { return GetText(FrameIndex); }
std::string TID3v2Frames::GetURL(std::string_view FrameID) const { return GetText(FrameID); }

bool TID3v2Frames::SetURL(int64_t FrameIndex, std::string_view URL) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = LowBytes(URL);
    return true;
}

bool TID3v2Frames::SetURL(std::string_view FrameID, std::string_view URL) {
    return SetURL(IndexFor(FrameID, true), URL);
}

std::string TID3v2Frames::GetUserDefinedURLLink(int64_t FrameIndex, std::string& Description) const {
    Description.clear();
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return {};
    TextReader r(f->Data());
    r.ReadEncoding();
    r.ReadString(Description);
    std::string url;
    r.ReadStringAs(0, url);
    return url;
}

std::string TID3v2Frames::GetUserDefinedURLLink(std::string_view FrameID, std::string& Description) const {
    return GetUserDefinedURLLink(FrameExists(FrameID), Description);
}

bool TID3v2Frames::SetUserDefinedURLLink(int64_t FrameIndex, std::string_view URL, std::string_view Description,
                                         TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string url =
        TextEncoding == teUnicode ? LowBytes(URL) : EncodeText(URL, TextEncoding, false) + Terminator(TextEncoding);
    f->Data() =
        char(EncodingByte(TextEncoding)) + EncodeText(Description, TextEncoding, true) + Terminator(TextEncoding) + url;
    return true;
}

bool TID3v2Frames::SetUserDefinedURLLink(std::string_view FrameID, std::string_view URL, std::string_view Description,
                                         TID3v2TextEncoding TextEncoding) {
    return SetUserDefinedURLLink(IndexFor(FrameID, true), URL, Description, TextEncoding);
}

int64_t TID3v2Frames::FindUserDefinedURLLinkByDescription(std::string_view Description, std::string& URL) const {
    const TFrameID wxxx = FrameIDFromString("WXXX");
    for (int64_t i = 0; i < FrameCount(); ++i) {
        if (Frames[size_t(i)]->ID != wxxx) continue;
        std::string description;
        std::string url = GetUserDefinedURLLink(i, description);
        if (description == Description) {
            URL = url;
            return i;
        }
    }
    return -1;
}

bool TID3v2Frames::SetUserDefinedURLLinkByDescription(std::string_view Description, std::string_view URL,
                                                      TID3v2TextEncoding TextEncoding) {
    std::string url;
    int64_t i = FindUserDefinedURLLinkByDescription(Description, url);
    if (i < 0) i = AddFrame("WXXX");
    return SetUserDefinedURLLink(i, URL, Description, TextEncoding);
}

// --- user-defined text --------------------------------------------------------

std::string TID3v2Frames::GetUserDefinedTextInformation(int64_t FrameIndex, std::string& Description) const {
    UserText t;
    bool ok = ReadUserText(Frame(FrameIndex), t);
    Description = t.description;
    return ok ? Joined(*this, t.values) : std::string();
}

std::string TID3v2Frames::GetUserDefinedTextInformation(std::string_view Description, bool CaseSensitive) const {
    const TFrameID txxx = FrameIDFromString("TXXX");
    const std::string wanted = CaseSensitive ? std::string(Description) : UpperNoCase(Description);
    for (int64_t i = 0; i < FrameCount(); ++i) {
        if (Frames[size_t(i)]->ID != txxx) continue;
        std::string description;
        std::string text = GetUserDefinedTextInformation(i, description);
        if ((CaseSensitive ? description : UpperNoCase(description)) == wanted) return text;
    }
    return {};
}

bool TID3v2Frames::GetUserDefinedTextInformationMultiple(int64_t FrameIndex, std::string& Description,
                                                         std::vector<std::string>& List) const {
    List = SplitLines(GetUserDefinedTextInformation(FrameIndex, Description));
    return !List.empty();
}

bool TID3v2Frames::GetUserDefinedTextInformationMultiple(std::string_view FrameID, std::string& Description,
                                                         std::vector<std::string>& List) const {
    return GetUserDefinedTextInformationMultiple(FrameExists(FrameID), Description, List);
}

bool TID3v2Frames::SetUserDefinedTextInformation(int64_t FrameIndex, std::string_view Description,
                                                 std::string_view Text, TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = char(EncodingByte(TextEncoding)) + EncodeText(Description, TextEncoding, true) +
                Terminator(TextEncoding) + EncodeText(Text, TextEncoding, true) + Terminator(TextEncoding);
    return true;
}

bool TID3v2Frames::SetUserDefinedTextInformation(std::string_view FrameID, std::string_view Description,
                                                 std::string_view Text, TID3v2TextEncoding TextEncoding) {
    return SetUserDefinedTextInformation(IndexFor(FrameID, true), Description, Text, TextEncoding);
}

bool TID3v2Frames::SetUserDefinedTextInformationMultiple(int64_t FrameIndex, std::string_view Description,
                                                         const std::vector<std::string>& List,
                                                         TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    // Several values are never written in the legacy code page.
    const TID3v2TextEncoding e = TextEncoding == teANSI ? teUTF8 : TextEncoding;
    std::string& d = f->Data();
    d = char(EncodingByte(e)) + EncodeText(Description, e, true) + Terminator(e);
    for (size_t i = 0; i < List.size(); ++i) d += EncodeText(List[i], e, i == 0) + Terminator(e);
    return true;
}

bool TID3v2Frames::SetUserDefinedTextInformationMultiple(std::string_view FrameID, std::string_view Description,
                                                         const std::vector<std::string>& List,
                                                         TID3v2TextEncoding TextEncoding) {
    return SetUserDefinedTextInformationMultiple(IndexFor(FrameID, true), Description, List, TextEncoding);
}

int64_t TID3v2Frames::FindTXXXByDescription(std::string_view Description, std::string& Text) const {
    const TFrameID txxx = FrameIDFromString("TXXX");
    const std::string wanted = UpperNoCase(Description);
    for (int64_t i = 0; i < FrameCount(); ++i) {
        if (Frames[size_t(i)]->ID != txxx) continue;
        std::string description;
        std::string text = GetUserDefinedTextInformation(i, description);
        if (UpperNoCase(description) == wanted) {
            Text = text;
            return i;
        }
    }
    return -1;
}

int64_t TID3v2Frames::FindTXXXByDescriptionMultiple(std::string_view Description,
                                                    std::vector<std::string>& List) const {
    std::string text;
    int64_t i = FindTXXXByDescription(Description, text);
    if (i >= 0) List = SplitLines(text);
    return i;
}

bool TID3v2Frames::SetTXXXByDescription(std::string_view Description, std::string_view Text,
                                        TID3v2TextEncoding TextEncoding) {
    std::string old;
    int64_t i = FindTXXXByDescription(Description, old);
    if (i < 0) i = AddFrame("TXXX");
    return SetUserDefinedTextInformation(i, Description, Text, TextEncoding);
}

bool TID3v2Frames::SetTXXXByDescriptionMultiple(std::string_view Description, const std::vector<std::string>& List,
                                                TID3v2TextEncoding TextEncoding) {
    std::string old;
    int64_t i = FindTXXXByDescription(Description, old);
    if (i < 0) i = AddFrame("TXXX");
    return SetUserDefinedTextInformationMultiple(i, Description, List, TextEncoding);
}

bool TID3v2Frames::SetTXXX(int64_t Index, std::string_view Description, std::string_view Text,
                           TID3v2TextEncoding TextEncoding) {
    return SetUserDefinedTextInformation(Index, Description, Text, TextEncoding);
}

int64_t TID3v2Frames::FindCustomFrame(std::string_view FrameID, std::string_view Description) const {
    const TFrameID id = FrameIDFromString(FrameID);
    for (int64_t i = 0; i < FrameCount(); ++i) {
        UserText t;
        if (Frames[size_t(i)]->ID == id && ReadUserText(Frames[size_t(i)].get(), t) && t.description == Description)
            return i;
    }
    return -1;
}

// --- involved-people lists ----------------------------------------------------

bool TID3v2Frames::GetListFrame(int64_t FrameIndex, std::vector<std::string>& List) const {
    List.clear();
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    while (!r.AtEnd()) {
        std::string name, value;
        if (r.ReadString(name) && !r.AtEnd()) r.ReadString(value);
        if (name.empty() && value.empty()) continue;  // padding after the last pair
        List.push_back(name + "=" + value);
    }
    return !List.empty();
}

bool TID3v2Frames::GetListFrame(std::string_view FrameID, std::vector<std::string>& List) const {
    return GetListFrame(FrameExists(FrameID), List);
}

bool TID3v2Frames::SetListFrame(int64_t FrameIndex, const std::vector<std::string>& List,
                                TID3v2TextEncoding TextEncoding) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string& d = f->Data();
    d.push_back(char(EncodingByte(TextEncoding)));
    bool first = true;
    for (const std::string& entry : List) {
        size_t eq = entry.find('=');
        std::string_view name = std::string_view(entry).substr(0, eq);
        std::string_view value = eq == std::string::npos ? std::string_view() : std::string_view(entry).substr(eq + 1);
        d += EncodeText(name, TextEncoding, first) + Terminator(TextEncoding);
        d += EncodeText(value, TextEncoding, false) + Terminator(TextEncoding);
        first = false;
    }
    return true;
}

bool TID3v2Frames::SetListFrame(std::string_view FrameID, const std::vector<std::string>& List,
                                TID3v2TextEncoding TextEncoding) {
    return SetListFrame(IndexFor(FrameID, true), List, TextEncoding);
}

std::string TID3v2Frames::GetListFrameText(int64_t FrameIndex) const {
    std::vector<std::string> list;
    GetListFrame(FrameIndex, list);
    return JoinLines(list);
}

std::string TID3v2Frames::GetListFrameText(std::string_view FrameID) const {
    return GetListFrameText(FrameExists(FrameID));
}

}  // namespace tags
