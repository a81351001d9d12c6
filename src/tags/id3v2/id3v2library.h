// ID3v2Library: reads, edits, writes and removes ID3v2.2, ID3v2.3 and ID3v2.4
// tags. Frames are held as raw byte blocks (as stored, possibly compressed or
// unsynchronised); the accessors of TID3v2Frames turn them into values.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tags/core/stream.h"
#include "tags/id3v2/id3v2audioinfo.h"

namespace tags {

// Result codes of loads, saves and removals.
inline constexpr int ID3V2LIBRARY_SUCCESS = 0;
inline constexpr int ID3V2LIBRARY_ERROR_NO_TAG_FOUND = 1;
inline constexpr int ID3V2LIBRARY_ERROR_EMPTY_TAG = 2;  // nothing to save, or nothing to remove
inline constexpr int ID3V2LIBRARY_ERROR_EMPTY_FRAMES = 3;
inline constexpr int ID3V2LIBRARY_ERROR_OPENING_FILE = 4;
inline constexpr int ID3V2LIBRARY_ERROR_READING_FILE = 5;
inline constexpr int ID3V2LIBRARY_ERROR_WRITING_FILE = 6;
inline constexpr int ID3V2LIBRARY_ERROR_CORRUPT = 7;
inline constexpr int ID3V2LIBRARY_ERROR_NOT_SUPPORTED_VERSION = 8;
inline constexpr int ID3V2LIBRARY_ERROR_NOT_SUPPORTED_FORMAT = 9;
inline constexpr int ID3V2LIBRARY_ERROR_SIZE_OVERFLOW = 10;
inline constexpr int ID3V2LIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS = 11;
inline constexpr int ID3V2LIBRARY_ERROR_READ_ONLY = 12;
inline constexpr int ID3V2LIBRARY_ERROR = 0xFFFF;

inline constexpr uint32_t ID3V2LIBRARY_DEFAULT_PADDING_SIZE = 4096;

// Four identifier bytes; an ID3v2.2 identifier without a newer equivalent keeps
// its three characters and a zero fourth byte.
using TFrameID = std::array<uint8_t, 4>;
TFrameID FrameIDFromString(std::string_view id);
std::string FrameIDToString(const TFrameID& id);
bool ValidFrameID(const TFrameID& id, int length);

enum TSourceFileType { sftUnknown, sftMPEG, sftWAVE, sftRF64, sftAIFF, sftDSF, sftDFF };
enum TID3v2SaveVersion { sfid3v2NoChange, sfid3v23, sfid3v24 };
enum TID3v2TextEncoding { teUnicode, teUTF8, teANSI };

enum TID3v2FrameError {
    id3v2feInvalidFrameID,
    id3v2feInvalidTextEncoding,
    id3v2feInvalidFlags,
    id3v2feNoContent,
    id3v2feContentToLarge,
    id3v2feSizeSpecifiedToLarge,
};
// A set of TID3v2FrameError, one bit per value.
struct TID3v2FrameErrors {
    uint32_t bits = 0;
    bool Contains(TID3v2FrameError e) const { return bits & (1u << e); }
    void Include(TID3v2FrameError e) { bits |= 1u << e; }
    bool Empty() const { return bits == 0; }
};

enum TID3v2ExtendedHeader4TagSizeRestriction {
    NoMoreThan128FramesAnd1MBTotalTagSize,
    NoMoreThan64FramesAnd128KBTotalTagSize,
    NoMoreThan32FramesAnd40KBTotalTagSize,
    NoMoreThan32FramesAnd4KBTotalTagSize,
};
enum TID3v2ExtendedHeader4TextEncodingRestriction { NoTextEncodingRestrictions, OnlyEncodedWithISO88591OrUTF8 };
enum TID3v2ExtendedHeader4TextFieldsSizeRestriction {
    NoTextFieldsSizeRestrictions,
    NoStringIsLongerThan1024Characters,
    NoStringIsLongerThan128Characters,
    NoStringIsLongerThan30Characters,
};
enum TID3v2ExtendedHeader4ImageEncodingRestriction { NoImageEncodingRestrictions, ImagesAreEncodedOnlyWithPNGOrJPEG };
enum TID3v2ExtendedHeader4ImageSizeRestriction {
    NoImageSizeRestrictions,
    AllImagesAre256x256PixelsOrSmaller,
    AllImagesAre64x64PixelsOrSmaller,
    AllImagesAreExactly64x64PixelsUnlessRequiredOtherwise,
};

struct TID3v2DateTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    bool operator==(const TID3v2DateTime&) const = default;
};

class TID3v2Frames;
class TID3v2Tag;

class TID3v2Frame {
public:
    explicit TID3v2Frame(TID3v2Frames* _Parent);
    virtual ~TID3v2Frame();
    TID3v2Frame(const TID3v2Frame&) = delete;
    TID3v2Frame& operator=(const TID3v2Frame&) = delete;

    TFrameID ID{};
    TID3v2Frames* Parent;
    uint32_t Size = 0;
    TMemoryStream Stream;
    uint16_t Flags = 0;
    bool TagAlterPreservation = false;
    bool FileAlterPreservation = false;
    bool ReadOnly = false;
    bool Compressed = false;
    bool Encrypted = false;
    bool GroupingIdentity = false;
    bool Unsynchronised = false;
    bool DataLengthIndicator = false;
    uint8_t GroupIdentifier = 0;
    uint8_t EncryptionMethod = 0;
    uint32_t DataLengthIndicatorValue = 0;
    bool AlreadyParsed = false;

    bool WasUnsynchronised() const { return FWasUnsynchronised; }
    int64_t Index() const;
    std::string IDString() const { return FrameIDToString(ID); }
    std::string& Data() { return Stream.Bytes(); }
    const std::string& Data() const { return Stream.Bytes(); }

    void DecodeFlags3();
    void EncodeFlags3();
    void DecodeFlags4();
    void EncodeFlags4();
    bool Compress();
    bool DeCompress();
    bool RemoveUnsynchronisation();
    bool ApplyUnsynchronisation();
    bool Assign(const TID3v2Frame* ID3v2Frame);
    // Removes the frame from its parent list and frees it: do not touch the
    // frame afterwards.
    void Delete();
    void Clear();
    bool IsiXML() const;
    bool IsXMP() const;
    // The data was not read with the tag (a picture loaded with
    // ParseCoverArts off).
    bool DataSkipped() const { return FDataSkipped; }

protected:
    friend class TID3v2Frames;
    friend class TID3v2Tag;
    bool FWasUnsynchronised = false;
    // The data was skipped on load (pictures with ParseCoverArts off), so the
    // frame cannot be written back.
    bool FDataSkipped = false;
};

// Accessors: every operation exists by list index and by frame identifier
// (the first frame with it; setters create it when missing). Getters return
// empty values when there is nothing to read; setters return false when the
// frame cannot be written.
class TID3v2Frames {
public:
    explicit TID3v2Frames(TID3v2Tag* root);
    virtual ~TID3v2Frames();
    TID3v2Frames(const TID3v2Frames&) = delete;
    TID3v2Frames& operator=(const TID3v2Frames&) = delete;

    TID3v2Tag* Root;
    std::vector<std::unique_ptr<TID3v2Frame>> Frames;

    int64_t FrameCount() const { return static_cast<int64_t>(Frames.size()); }
    TID3v2Frame* Frame(int64_t index) const;

    // --- container ---------------------------------------------------------
    void Clear();
    void DeleteAllFrames();
    bool LoadFrame(TStream& Stream);
    bool LoadFrameData(TStream& Stream, int64_t FrameIndex);
    int64_t AddFrame(const TFrameID& FrameID);
    int64_t AddFrame(std::string_view FrameID);
    TID3v2Frame* AddFrameEx(std::string_view FrameID);
    bool DeleteFrame(int64_t FrameIndex);
    bool DeleteFrame(const TFrameID& FrameID);
    bool DeleteFrame(std::string_view FrameID);
    int64_t FrameExists(const TFrameID& FrameID) const;
    int64_t FrameExists(std::string_view FrameID) const;
    int64_t FrameTypeCount(std::string_view FrameID) const;
    int64_t CoverArtCount() const { return FrameTypeCount("APIC"); }
    void DeleteAllCoverArts();
    void AssignFrames(const TID3v2Frames& Source);
    bool Convertv2Tov3(int64_t FrameIndex);
    bool Convertv2PICtoAPIC(int64_t FrameIndex);
    int WriteAllFrames(TStream& Stream);
    uint32_t FullFrameSize(uint32_t FrameIndex) const;
    TID3v2FrameErrors CheckValidFrame(int64_t FrameIndex) const;
    void SetAllFrameDataStreams();

    // --- text frames -------------------------------------------------------
    std::string GetText(int64_t FrameIndex, bool ReturnNativeText = false) const;
    std::string GetText(std::string_view FrameID, bool ReturnNativeText = false) const;
    bool SetText(int64_t FrameIndex, std::string_view Text, TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetText(std::string_view FrameID, std::string_view Text, TID3v2TextEncoding TextEncoding = teUnicode);
    bool GetTextMultiple(int64_t FrameIndex, std::vector<std::string>& List) const;
    bool GetTextMultiple(std::string_view FrameID, std::vector<std::string>& List) const;
    bool SetTextMultiple(int64_t FrameIndex, const std::vector<std::string>& List,
                         TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetTextMultiple(std::string_view FrameID, const std::vector<std::string>& List,
                         TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetRawText(int64_t FrameIndex, std::string_view Text);
    bool SetRawText(std::string_view FrameID, std::string_view Text);

    // --- comments and lyrics -----------------------------------------------
    std::string GetContent(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const;
    std::string GetContent(std::string_view FrameID, std::string& LanguageID, std::string& Description) const;
    std::string GetComment(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const;
    std::string GetComment(std::string_view FrameID, std::string& LanguageID, std::string& Description) const;
    std::string GetLyrics(int64_t FrameIndex, std::string& LanguageID, std::string& Description) const;
    std::string GetLyrics(std::string_view FrameID, std::string& LanguageID, std::string& Description) const;
    bool SetContent(int64_t FrameIndex, std::string_view Content, std::string_view LanguageID,
                    std::string_view Description, TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetContent(std::string_view FrameID, std::string_view Content, std::string_view LanguageID,
                    std::string_view Description, TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetComment(int64_t FrameIndex, std::string_view Comment, std::string_view LanguageID,
                    std::string_view Description);
    bool SetComment(std::string_view FrameID, std::string_view Comment, std::string_view LanguageID,
                    std::string_view Description);
    bool SetLyrics(int64_t FrameIndex, std::string_view Lyrics, std::string_view LanguageID,
                   std::string_view Description);
    bool SetLyrics(std::string_view FrameID, std::string_view Lyrics, std::string_view LanguageID,
                   std::string_view Description);
    int64_t FindCommentByDescription(std::string_view Description, std::string& LanguageID, std::string& Comment) const;
    bool SetCommentByDescription(std::string_view Description, std::string_view LanguageID, std::string_view Comment);

    // --- pictures ----------------------------------------------------------
    bool GetCoverPictureStream(int64_t FrameIndex, TStream& PictureStream, std::string& MIMEType,
                               std::string& Description, uint8_t& CoverType) const;
    bool GetCoverPictureStream(std::string_view FrameID, TStream& PictureStream, std::string& MIMEType,
                               std::string& Description, uint8_t& CoverType) const;
    bool GetCoverPictureInfo(int64_t FrameIndex, std::string& MIMEType, std::string& Description, uint8_t& CoverType,
                             std::string* Bytes = nullptr) const;
    bool GetCoverPictureInfo(std::string_view FrameID, std::string& MIMEType, std::string& Description,
                             uint8_t& CoverType, std::string* Bytes = nullptr) const;
    // Views into the frame's own bytes, valid until the frame changes; the
    // description is raw text in `Encoding` (0..3 as stored).
    bool GetCoverPictureInfoPointer(int64_t FrameIndex, const uint8_t*& Data, uint64_t& DataSize,
                                    std::string_view& MIMEType, std::string_view& Description, int& Encoding,
                                    uint8_t& CoverType) const;
    bool SetCoverPictureFromStream(int64_t FrameIndex, std::string_view Description, TStream& PictureStream,
                                   std::string_view MIMEType, uint8_t CoverType);
    bool SetCoverPictureFromStream(std::string_view FrameID, std::string_view Description, TStream& PictureStream,
                                   std::string_view MIMEType, uint8_t CoverType);
    bool SetCoverPictureFromFile(int64_t FrameIndex, std::string_view Description, const std::string& PictureFileName,
                                 std::string_view MIMEType, uint8_t CoverType);
    bool SetCoverPictureFromFile(std::string_view FrameID, std::string_view Description,
                                 const std::string& PictureFileName, std::string_view MIMEType, uint8_t CoverType);
    int64_t GetFrameIndexOfCoverArtIndex(int64_t CoverArtIndex) const;

    // --- URLs --------------------------------------------------------------
    std::string GetURL(int64_t FrameIndex) const;
    std::string GetURL(std::string_view FrameID) const;
    bool SetURL(int64_t FrameIndex, std::string_view URL);
    bool SetURL(std::string_view FrameID, std::string_view URL);
    std::string GetUserDefinedURLLink(int64_t FrameIndex, std::string& Description) const;
    std::string GetUserDefinedURLLink(std::string_view FrameID, std::string& Description) const;
    bool SetUserDefinedURLLink(int64_t FrameIndex, std::string_view URL, std::string_view Description,
                               TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetUserDefinedURLLink(std::string_view FrameID, std::string_view URL, std::string_view Description,
                               TID3v2TextEncoding TextEncoding = teUnicode);
    int64_t FindUserDefinedURLLinkByDescription(std::string_view Description, std::string& URL) const;
    bool SetUserDefinedURLLinkByDescription(std::string_view Description, std::string_view URL,
                                            TID3v2TextEncoding TextEncoding = teUnicode);

    // --- user-defined text (TXXX) --------------------------------------------
    std::string GetUserDefinedTextInformation(int64_t FrameIndex, std::string& Description) const;
    std::string GetUserDefinedTextInformation(std::string_view Description, bool CaseSensitive) const;
    bool GetUserDefinedTextInformationMultiple(int64_t FrameIndex, std::string& Description,
                                               std::vector<std::string>& List) const;
    bool GetUserDefinedTextInformationMultiple(std::string_view FrameID, std::string& Description,
                                               std::vector<std::string>& List) const;
    bool SetUserDefinedTextInformation(int64_t FrameIndex, std::string_view Description, std::string_view Text,
                                       TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetUserDefinedTextInformation(std::string_view FrameID, std::string_view Description, std::string_view Text,
                                       TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetUserDefinedTextInformationMultiple(int64_t FrameIndex, std::string_view Description,
                                               const std::vector<std::string>& List,
                                               TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetUserDefinedTextInformationMultiple(std::string_view FrameID, std::string_view Description,
                                               const std::vector<std::string>& List,
                                               TID3v2TextEncoding TextEncoding = teUnicode);
    int64_t FindTXXXByDescription(std::string_view Description, std::string& Text) const;
    int64_t FindTXXXByDescriptionMultiple(std::string_view Description, std::vector<std::string>& List) const;
    bool SetTXXXByDescription(std::string_view Description, std::string_view Text,
                              TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetTXXXByDescriptionMultiple(std::string_view Description, const std::vector<std::string>& List,
                                      TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetTXXX(int64_t Index, std::string_view Description, std::string_view Text,
                 TID3v2TextEncoding TextEncoding = teUnicode);
    int64_t FindCustomFrame(std::string_view FrameID, std::string_view Description) const;

    // --- counters and ratings ----------------------------------------------
    uint32_t GetPlayCount(int64_t FrameIndex) const;
    uint32_t GetPlayCount(std::string_view FrameID) const;
    bool SetPlayCount(int64_t FrameIndex, uint32_t PlayCount);
    bool SetPlayCount(std::string_view FrameID, uint32_t PlayCount);
    bool GetPopularimeter(int64_t FrameIndex, std::string& Email, uint8_t& Rating, uint32_t& PlayCounter) const;
    int64_t FindPopularimeter(std::string_view Email, uint8_t& Rating, uint32_t& PlayCounter) const;
    bool SetPopularimeter(int64_t FrameIndex, std::string_view Email, uint8_t Rating, uint32_t PlayCounter);
    bool SetPopularimeterByEmail(std::string_view Email, uint8_t Rating, uint32_t PlayCounter);

    // --- involved-people lists (entries "name=value") ------------------------
    bool GetListFrame(int64_t FrameIndex, std::vector<std::string>& List) const;
    bool GetListFrame(std::string_view FrameID, std::vector<std::string>& List) const;
    bool SetListFrame(int64_t FrameIndex, const std::vector<std::string>& List,
                      TID3v2TextEncoding TextEncoding = teUnicode);
    bool SetListFrame(std::string_view FrameID, const std::vector<std::string>& List,
                      TID3v2TextEncoding TextEncoding = teUnicode);
    std::string GetListFrameText(int64_t FrameIndex) const;
    std::string GetListFrameText(std::string_view FrameID) const;

    // --- unique file identifiers ---------------------------------------------
    std::string GetUFID(int64_t FrameIndex, std::string& OwnerIdentifier) const;
    std::string GetUFID(std::string_view FrameID, std::string& OwnerIdentifier) const;
    std::string GetUFIDBytes(int64_t FrameIndex, std::string& OwnerIdentifier) const;
    int64_t FindUFIDByOwnerIdentifier(std::string_view OwnerIdentifier, std::string& Identifier) const;
    bool SetUFID(int64_t FrameIndex, std::string_view OwnerIdentifier, std::string_view Identifier);
    bool SetUFID(std::string_view FrameID, std::string_view OwnerIdentifier, std::string_view Identifier);
    bool SetUFIDByOwnerIdentifier(std::string_view OwnerIdentifier, std::string_view Identifier);

    // --- objects and private frames ------------------------------------------
    bool GetGEOB(int64_t FrameIndex, std::string& MIMEType, std::string& EncapsulatedObjectFilename,
                 std::string& ContentDescription, std::string& EncapsulatedObject) const;
    bool GetGEOB(std::string_view FrameID, std::string& MIMEType, std::string& EncapsulatedObjectFilename,
                 std::string& ContentDescription, std::string& EncapsulatedObject) const;
    bool SetGEOB(int64_t FrameIndex, std::string_view MIMEType, std::string_view EncapsulatedObjectFilename,
                 std::string_view ContentDescription, std::string_view EncapsulatedObject);
    bool SetGEOB(std::string_view FrameID, std::string_view MIMEType, std::string_view EncapsulatedObjectFilename,
                 std::string_view ContentDescription, std::string_view EncapsulatedObject);
    bool GetOWNE(int64_t FrameIndex, std::string& PricePaid, std::string& DateOfPurchase, std::string& Seller) const;
    bool GetOWNE(std::string_view FrameID, std::string& PricePaid, std::string& DateOfPurchase,
                 std::string& Seller) const;
    bool SetOWNE(int64_t FrameIndex, std::string_view PricePaid, std::string_view DateOfPurchase,
                 std::string_view Seller);
    bool SetOWNE(std::string_view FrameID, std::string_view PricePaid, std::string_view DateOfPurchase,
                 std::string_view Seller);
    // The purchase date as a date (only year, month and day are stored).
    bool GetOWNE(int64_t FrameIndex, std::string& PricePaid, TID3v2DateTime& DateOfPurchase, std::string& Seller) const;
    bool GetOWNE(std::string_view FrameID, std::string& PricePaid, TID3v2DateTime& DateOfPurchase,
                 std::string& Seller) const;
    bool SetOWNE(int64_t FrameIndex, std::string_view PricePaid, const TID3v2DateTime& DateOfPurchase,
                 std::string_view Seller);
    bool SetOWNE(std::string_view FrameID, std::string_view PricePaid, const TID3v2DateTime& DateOfPurchase,
                 std::string_view Seller);
    bool GetUSER(int64_t FrameIndex, std::string& LanguageID, std::string& TermsOfUse) const;
    bool GetUSER(std::string_view FrameID, std::string& LanguageID, std::string& TermsOfUse) const;
    bool SetUSER(int64_t FrameIndex, std::string_view LanguageID, std::string_view TermsOfUse);
    bool SetUSER(std::string_view FrameID, std::string_view LanguageID, std::string_view TermsOfUse);
    bool GetAENC(int64_t FrameIndex, std::string& OwnerIdentifier, uint16_t& PreviewStart, uint16_t& PreviewLength,
                 std::string& EncryptionInfo) const;
    bool GetAENC(std::string_view FrameID, std::string& OwnerIdentifier, uint16_t& PreviewStart,
                 uint16_t& PreviewLength, std::string& EncryptionInfo) const;
    bool SetAENC(int64_t FrameIndex, std::string_view OwnerIdentifier, uint16_t PreviewStart, uint16_t PreviewLength,
                 std::string_view EncryptionInfo);
    bool SetAENC(std::string_view FrameID, std::string_view OwnerIdentifier, uint16_t PreviewStart,
                 uint16_t PreviewLength, std::string_view EncryptionInfo);
    std::string GetiXML(int64_t FrameIndex) const;
    std::string GetiXML(std::string_view FrameID) const;
    bool SetiXML(int64_t FrameIndex, std::string_view XMLText);
    bool SetiXML(std::string_view FrameID, std::string_view XMLText);
    std::string GetXMP(int64_t FrameIndex) const;
    std::string GetXMP(std::string_view FrameID) const;
    bool SetXMP(int64_t FrameIndex, std::string_view XMPText);
    bool SetXMP(std::string_view FrameID, std::string_view XMPText);
    std::string GetBytes(int64_t FrameIndex) const;
    std::string GetBytes(std::string_view FrameID) const;
    bool GetTime(int64_t FrameIndex, TID3v2DateTime& DateTime) const;
    bool GetTime(std::string_view FrameID, TID3v2DateTime& DateTime) const;
    bool SetTime(int64_t FrameIndex, const TID3v2DateTime& DateTime);
    bool SetTime(std::string_view FrameID, const TID3v2DateTime& DateTime);
    bool SetTLEN(int64_t FrameIndex, uint64_t TLEN);
    bool SetTLEN(std::string_view FrameID, uint64_t TLEN);
    bool GetAlbumColors(int64_t FrameIndex, uint32_t& TitleColor, uint32_t& TextColor) const;
    bool GetAlbumColors(std::string_view FrameID, uint32_t& TitleColor, uint32_t& TextColor) const;
    bool SetAlbumColors(int64_t FrameIndex, uint32_t TitleColor, uint32_t TextColor);
    bool SetAlbumColors(std::string_view FrameID, uint32_t TitleColor, uint32_t TextColor);
    double GetSEBR(int64_t FrameIndex) const;
    double GetSEBR(std::string_view FrameID) const;
    std::string GetSEBRString(int64_t FrameIndex) const;
    std::string GetSEBRString(std::string_view FrameID) const;
    bool SetSEBR(int64_t FrameIndex, std::string_view BitRateStr);
    bool SetSEBR(std::string_view FrameID, std::string_view BitRateStr);
    bool SetSEBR(int64_t FrameIndex, double BitRateValue);
    bool SetSEBR(std::string_view FrameID, double BitRateValue);
    int64_t GetSEFC(int64_t FrameIndex) const;
    int64_t GetSEFC(std::string_view FrameID) const;
    bool SetSEFC(int64_t FrameIndex, int64_t SEFC);
    bool SetSEFC(std::string_view FrameID, int64_t SEFC);
    // Returns the cache bytes; empty when the frame holds no valid cache.
    std::string GetSampleCache(int64_t FrameIndex, bool ForceDecompression, uint8_t& Version, uint32_t& Channels) const;
    std::string GetSampleCache(std::string_view FrameID, bool ForceDecompression, uint8_t& Version,
                               uint32_t& Channels) const;
    bool SetSampleCache(int64_t FrameIndex, std::string_view SESC, uint32_t Channels);
    bool SetSampleCache(std::string_view FrameID, std::string_view SESC, uint32_t Channels);

protected:
    int MajorVersion() const;
    // Index of the first frame with the identifier, appending one when asked.
    int64_t IndexFor(std::string_view FrameID, bool create);
    // Size of the frame's data as written in the root tag's layout: ID3v2.3
    // has no per-frame unsynchronisation, so such frames are written without.
    uint64_t DataSizeToWrite(const TID3v2Frame& frame) const;
    // Clears the frame's data for a setter; null when the index is out of range.
    TID3v2Frame* Writable(int64_t FrameIndex);
    bool WriteFrameTo(TStream& Stream, TID3v2Frame& frame);
    // Absolute stream offset where the frames being loaded end (-1: the end).
    int64_t FLoadLimit = -1;
};

// A frame that holds a nested list of frames (chapters, tables of contents).
// Subclasses fill the list from the data after a load and rebuild the data
// from it before a save.
class TID3v2FrameWithSubFrames : public TID3v2Frame {
public:
    explicit TID3v2FrameWithSubFrames(TID3v2Frames* _Parent);
    ~TID3v2FrameWithSubFrames() override;
    std::unique_ptr<TID3v2Frames> SubFrames;

    virtual bool Parse() { return true; }
    virtual void SetData() {}
};

class TID3v2ExtendedHeader3 {
public:
    virtual ~TID3v2ExtendedHeader3() = default;
    uint32_t Size = 0;
    std::array<uint8_t, 4> CodedSize{};
    TMemoryStream Data;
    uint16_t Flags = 0;
    bool CRCPresent = false;

    void DecodeExtendedHeaderSize();
    void DecodeExtendedHeaderFlags();
};

class TID3v2ExtendedHeader4 {
public:
    virtual ~TID3v2ExtendedHeader4() = default;
    uint32_t Size = 0;
    std::array<uint8_t, 4> CodedSize{};
    uint8_t FlagBytes = 0;
    uint8_t Flags = 0;
    uint32_t ExtendedFlagsDataSize = 0;
    std::vector<uint8_t> ExtendedFlagsData;
    bool TagIsAnUpdate = false;
    bool CRCPresent = false;
    bool TagRestrictions = false;
    TID3v2ExtendedHeader4TagSizeRestriction TagRestrictionsData = NoMoreThan128FramesAnd1MBTotalTagSize;
    TID3v2ExtendedHeader4TextEncodingRestriction TextEncodingRestrictions = NoTextEncodingRestrictions;
    TID3v2ExtendedHeader4TextFieldsSizeRestriction TextFieldsSizeRestriction = NoTextFieldsSizeRestrictions;
    TID3v2ExtendedHeader4ImageEncodingRestriction ImageEncodingRestriction = NoImageEncodingRestrictions;
    TID3v2ExtendedHeader4ImageSizeRestriction ImageSizeRestriction = NoImageSizeRestrictions;

    void DecodeExtendedHeaderSize();
    void DecodeExtendedHeaderFlags();
    void CalculateExtendedFlagsDataSize();
    // The restriction byte is kept raw; nothing here enforces restrictions.
    void DecodeExtendedHeaderFlagData() {}
};

class TID3v2Tag : public TID3v2Frames {
public:
    TID3v2Tag();
    ~TID3v2Tag() override;

    std::array<uint8_t, 4> CodedSize{};
    std::string SourceFileName;
    bool Loaded = false;
    uint8_t Flags = 0;
    bool Unsynchronised = false;
    bool Compressed = false;  // ID3v2.2 only
    bool ExtendedHeader = false;
    bool Experimental = false;
    bool FooterPresent = false;
    std::unique_ptr<TID3v2ExtendedHeader3> ExtendedHeader3;
    std::unique_ptr<TID3v2ExtendedHeader4> ExtendedHeader4;
    uint32_t PaddingSize = 0;
    uint32_t PaddingToWrite = ID3V2LIBRARY_DEFAULT_PADDING_SIZE;
    TMPEGHeader MPEGInfo;
    TWaveFmt WAVInfo;
    TAIFFInformation AIFFInfo;
    std::unique_ptr<TDSFInfo> DSFInfo;
    std::unique_ptr<TDFFInfo> DFFInfo;
    bool ParseAudioAttributes = true;
    uint32_t BeginningSearchLength = 0;
    int32_t MPEGSearchLength = 4096;
    bool AutoRemoveUnsynchronisation = true;
    bool UseTLENForPlaytime = false;
    int32_t APEv2TagSize = 0;
    uint8_t MajorVersion = 3;
    uint8_t MinorVersion = 0;
    uint32_t Size = 0;  // tag header + body, footer excluded
    bool ParseCoverArts = true;
    bool TrimText = true;
    TID3v2TextEncoding APICTextEncodingToWrite = teUnicode;
    bool PreserveFileDateTime = false;
    TID3v2SaveVersion WriteVersion = sfid3v2NoChange;

    int64_t Position() const { return FPosition; }
    TSourceFileType SourceFileType() const { return FSourceFileType; }
    double PlayTime() const { return FPlayTime; }
    int64_t FileSize() const { return FFileSize; }
    int64_t SampleCount() const { return FSampleCount; }
    uint32_t BitRate() const { return FBitRate; }
    bool WasUnsynchronised() const { return FWasUnsynchronised; }
    bool Error() const { return FError; }

    int LoadFromFile(const std::string& FileName, bool Buffered = true);
    int LoadFromStream(TStream& Stream, bool Buffered = false);
    // Loads a tag that starts at the address; never reads past MemorySize bytes.
    int LoadFromMemory(const void* MemoryAddress, uint64_t MemorySize);
    int SaveToFile(const std::string& FileName, bool Buffered = true);
    int SaveToStream(TStream& Stream, bool Buffered = false);
    int LoadTagFromStream(TStream& Stream);
    int SaveTagToStream(TStream& Stream, int32_t PaddingSizeToWrite);
    void Clear();
    void Assign(const TID3v2Tag& ID3v2Tag);
    bool RemoveUnsynchronisationOnAllFrames();
    bool ApplyUnsynchronisationOnAllFrames();
    bool DeCompressAllFrames();
    int64_t CalculateTotalFramesSize() const;
    uint32_t CalculateTagSize(uint32_t _PaddingSize);
    uint32_t CalculateTagCRC32();
    void ReSetAlreadyParsedState();
    bool RewriteCoverArts();

private:
    friend class TID3v2Frames;
    int64_t FPosition = 0;
    TSourceFileType FSourceFileType = sftUnknown;
    double FPlayTime = 0;
    int64_t FFileSize = 0;
    int64_t FSampleCount = 0;
    uint32_t FBitRate = 0;
    bool FWasUnsynchronised = false;
    bool FError = false;

    // The bytes that follow the tag header, padding excluded.
    bool RenderBody(std::string& body);
    int ParseBody(TStream& stream, int64_t bodyEnd);
    int ReadExtendedHeader(TStream& stream, int64_t bodyEnd);
    int LoadFromStreamAt(TStream& Stream);
    int LoadFromContainer(TStream& Stream, int64_t start);
    int WriteTag(TStream& Stream, const std::string& body, uint32_t padding);
    // Through a TBufferedStream when asked; reports a write the buffer could not deliver.
    int WriteTagMaybeBuffered(TStream& Stream, const std::string& body, uint32_t padding, bool buffered);
    // Common first steps of both saves; -1 when the save goes on.
    int PrepareSave();
    // Saves into the tag chunk of a WAV, RF64, AIFF, DSF or DFF file; a
    // rewrite replaces target through a new file, or, without a target,
    // the stream's bytes.
    int SaveIntoContainer(TStream& file, const std::string* target, bool exclusive, const std::string& body,
                          bool buffered);
};

int StripID3v2TagFromFile(const std::string& FileName, bool PreserveFileDateTime = false);
int StripID3v2TagFromStream(TStream& Stream);

// Which accessor family applies to a frame identifier: 1 text, 2 TXXX,
// 3 comment/lyrics, 4 list, 5 URL, 6 WXXX, 7 PCNT, 8 binary, 9 CTOC, 10 CHAP,
// 11 PRIV.
int ID3v2FrameKind(std::string_view FrameID);
// Turns "(17)(6)", "(RX)" and their like in a genre text into names.
std::string DecodeID3v2Genre(std::string_view Genre);

}  // namespace tags
