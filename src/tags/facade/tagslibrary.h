// TTags, the facade through which the player reads and edits tags: it owns
// one object per tag format, loads them all from one file or stream and
// merges what they found into one list of unified entries and one list of
// pictures. Names are compared without regard to case everywhere.
#pragma once

#include "tags/core/stream.h"
#include "tags/facade/coverart.h"
#include "tags/facade/formatfactory.h"
#include "tags/facade/formattag.h"
#include "tags/facade/sourceaudioattributes.h"
#include "tags/facade/tag.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tags {

class TAPEv2Tag;
class TFlacTag;
class TID3v1Tag;
class TID3v2Frames;
class TID3v2Tag;
class TMP4Tag;
class TOpusTag;

class TTags {
public:
    explicit TTags(TFormatFactory factory = {});
    ~TTags();
    TTags(const TTags&) = delete;
    TTags& operator=(const TTags&) = delete;

    std::string FileName;  // of the last LoadFromFile; empty after a stream load
    bool Loaded = false;   // some format object found a tag in the last load
    TTagPriority TagLoadPriority = kDefaultTagLoadPriority;

    std::unique_ptr<TFormatTag> APEv2Tag;
    std::unique_ptr<TFormatTag> FlacTag;
    std::unique_ptr<TFormatTag> ID3v1Tag;
    std::unique_ptr<TFormatTag> ID3v2Tag;
    std::unique_ptr<TFormatTag> MP4Tag;
    std::unique_ptr<TFormatTag> OggVorbisAndOpusTag;
    std::unique_ptr<TFormatTag> WAVTag;
    std::unique_ptr<TFormatTag> WMATag;

    std::vector<std::unique_ptr<TTag>> Tags;  // in load order
    std::vector<std::unique_ptr<TCoverArt>> CoverArts;
    TSourceAudioAttributes SourceAudioAttributes{this};

    bool UpperCaseFieldNamesToWrite = kTagsLibraryDefaults.UpperCaseFieldNamesToWrite;
    bool MP4KeepPadding = kTagsLibraryDefaults.MP4KeepPadding;
    bool ParseWavPackAudioAttributes = kTagsLibraryDefaults.ParseWavPackAudioAttributes;
    bool ParseMusePackAudioAttributes = kTagsLibraryDefaults.ParseMusePackAudioAttributes;
    bool ParseMonkeyAudioAttributes = kTagsLibraryDefaults.ParseMonkeyAudioAttributes;
    bool ParseAudioAttributes = kTagsLibraryDefaults.ParseAudioAttributes;
    bool ParseCoverArts = kTagsLibraryDefaults.ParseCoverArts;
    std::shared_ptr<void> User1, User2;  // free for callers, released with the object
    bool PreserveFileDateTime = kTagsLibraryDefaults.PreserveFileDateTime;
    // The frame list frame-level callers address (the ID3v2 tag, or a
    // chapter's sub-frames); carried, not used here.
    TID3v2Frames* ID3v2FramesContext = nullptr;
    bool ID3v2WriteUTF8Text = kTagsLibraryDefaults.ID3v2WriteUTF8Text;
    bool OnlyParseCoverArts = kTagsLibraryDefaults.OnlyParseCoverArts;

    // The object of one of the eight formats; null for other types.
    TFormatTag* FormatTag(TTagType type) const;
    // The units' own objects, for callers that drive a format directly; null
    // when the facade was given objects of its own.
    TID3v1Tag* ID3v1() const;
    TID3v2Tag* ID3v2() const;
    TAPEv2Tag* APEv2() const;
    TFlacTag* Flac() const;
    TOpusTag* Ogg() const;
    TMP4Tag* MP4() const;

    // --- Loading: each returns a result code (TTagsResult) ---------------
    int LoadFromFile(const std::string& fileName);
    int LoadFromStream(TStream& stream, bool buffered);
    int LoadFromMemory(const void* address, int32_t size);
    // Rebuilds the unified list from the loaded format objects, the lowest
    // priority first so that higher priorities replace its values.
    void LoadTags();
    void LoadAPEv2Tags();
    void LoadFlacTags();
    void LoadOggVorbisAndOpusTags();
    void LoadID3v1Tags();
    void LoadID3v2Tags();
    void LoadMP4Tags();
    void LoadWAVTags();
    void LoadWMATags();

    // --- Entries ----------------------------------------------------------
    int Count() const { return static_cast<int>(Tags.size()); }
    TTag* Add(const std::string& name);
    TTag* Tag(const std::string& name) const;
    int Exists(const std::string& name) const;
    int TypeCount(const std::string& name) const;
    std::string GetText(const std::string& name) const;
    // Replaces the first entry's value, or adds one; an empty text deletes
    // the first entry instead. Returns the entry's index, -1 when none is left.
    int SetText(const std::string& name, const std::string& text);
    int GetList(const std::string& name, std::vector<std::string>& list) const;
    int SetList(const std::string& name, const std::vector<std::string>& list);
    // Every distinct value (ignoring case) of the entries with that name.
    bool GetMultipleList(const std::string& name, std::vector<std::string>& list) const;
    static bool ItemAlreadyOnList(const std::vector<std::string>& list, const std::string& item);
    // Deletes the entry and its native items in every format object.
    bool Delete(int index);
    bool Delete(const std::string& name);
    int Clear(const std::string& name);
    // Takes the entry off the list only.
    bool Remove(int index);
    void DeleteAllTags();
    void RemoveEmptyTags();
    // Empties the lists and every format object; keeps the options.
    void Clear();

    // --- Pictures ---------------------------------------------------------
    int CoverArtCount() const { return static_cast<int>(CoverArts.size()); }
    TCoverArt* CoverArt(const std::string& name) const;
    TCoverArt* AddCoverArt(const std::string& name);
    TCoverArt* AddCoverArt(const std::string& name, TStream& stream, const std::string& mimeType);
    // Null when the file cannot be read.
    TCoverArt* AddCoverArt(const std::string& name, const std::string& fileName);
    bool DeleteCoverArt(int index);
    void DeleteAllCoverArts();
    // Append the pictures of a separately loaded format object; true if any.
    bool LoadAPEv2CoverArts(TAPEv2Tag& fromAPEv2Tag);
    bool LoadFlacCoverArts(TFlacTag& fromFlacTag);
    bool LoadOggVorbisAndOpusCoverArts(TFormatTag& fromOggTag);
    bool LoadID3v2CoverArts(TID3v2Tag& fromID3v2Tag);
    bool LoadMP4CoverArts(TFormatTag& fromMP4Tag);
    bool LoadWMACoverArts(TFormatTag& fromWMATag);

    // --- Native frames ----------------------------------------------------
    static bool ClearAllID3v2FramesByID(TID3v2Frames& id3v2Tag, const std::string& frameID);
    static bool ClearAllID3v2FramesTXXXByDescription(TID3v2Frames& id3v2Tag, const std::string& description);

    void ReSetAlreadyParsedState();
    // Bytes taken by the loaded tags together.
    int64_t GetSize() const;

    // --- Saving: each returns a result code (TTagsResult) ----------------
    // ttAutomatic writes the formats the file was loaded with, else the one
    // its content or extension calls for. PreserveFileDateTime keeps the
    // file's modification time.
    int SaveToFile(const std::string& fileName, TTagType tagType);
    // The stream holds the whole file.
    int SaveToStream(TStream& stream, bool buffered, TTagType tagType);
    // Bring one format object in line with the entries and pictures.
    void PrepareAPEv2Tag();
    void PrepareFlacTag();
    void PrepareOggVorbisAndOpusTag();
    void PrepareID3v1Tag();
    void PrepareID3v2Tag();
    void PrepareMP4Tag();
    void PrepareWAVTag();
    void PrepareWMATag();
    // Prepare, then save into stream (from its start) when given, else into
    // the file. Results are the format's own codes.
    int SaveAPEv2Tag(const std::string& fileName, TStream* stream = nullptr);
    int SaveFlacTag(const std::string& fileName, TStream* stream = nullptr, bool buffered = true);
    int SaveOggVorbisAndOpusTag(const std::string& fileName, TStream* stream = nullptr);
    int SaveID3v1Tag(const std::string& fileName, TStream* stream = nullptr);
    int SaveID3v2Tag(const std::string& fileName, TStream* stream = nullptr, bool buffered = true);
    int SaveMP4Tag(const std::string& fileName, TStream* stream = nullptr, bool buffered = true);
    int SaveWAVTag(const std::string& fileName, TStream* stream = nullptr);
    int SaveWMATag(const std::string& fileName, TStream* stream = nullptr);

    // --- Copying and merging ---------------------------------------------
    // False if copying failed half-way.
    bool Assign(const TTags& source, bool coverArtsToo);
    // True if any picture was copied; without append the own ones go first.
    bool AssignCoverArts(const TTags& source, bool append);
    void MergeTags(const TTags& source, TTagsMergeMode mergeMode, bool coverArtsToo, bool coverArtsAppend);

private:
    // A save after a load that skipped pictures or text entries first loads
    // them from the loaded file, so that it never drops what was not loaded;
    // trErrorReadingFile when there is no file to load them from.
    int LoadWhatIsMissing();
    void NoteSkippedEntries(TFormatTag& tag);
    template <typename Load>
    void LoadFormats(Load&& load, bool withWMA);
    void LoadStreamProperties(TStream* stream, const std::string& fileName, const std::string& extension);
    void LoadFormatTags(TFormatTag& tag, bool setsLoaded);
    bool AppendCoverArts(TFormatTag& tag);
    bool AppendCoverArts(TUnifiedTags& unified);
    TCoverArt* AddPicture(TUnifiedPicture&& picture);
    bool AnyFormatLoaded() const;
    int SaveFormat(TTagType type, const std::string& fileName, TStream* stream, bool buffered);
    bool SaveByContent(int audioFormat, const std::function<bool(TTagType)>& save, bool forFile);

    TFormatFactory FFactory;
    // What the last load left out, and the names deleted since.
    bool FPicturesMissing = false;
    bool FEntriesMissing = false;
    std::set<std::string> FDeletedNames;  // upper case
};

// Removes tags from a file without loading it: one format, or with
// ttAutomatic every format (always 0).
int RemoveTag(const std::string& fileName, TTagType tagType);

// A format object's result code as the facade's (TTagsResult).
int TranslateResult(TTagType format, int code);

// Classifies a file by its content (TAudioFormat); 0 when the file cannot be
// opened or nothing matches.
int GetAudioFormat(const std::string& fileName);
int GetAudioFormat(TStream& stream);

}  // namespace tags
