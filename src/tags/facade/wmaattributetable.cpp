#include "tags/facade/wmaattributetable.h"

#include "common/text.h"

namespace tags {

namespace {

struct Row {
    std::string_view attribute, name;
    bool load;
};

// clang-format off
constexpr Row kAttributes[] = {
    {"Author", "ARTIST", true}, {"Title", "TITLE", true}, {"WM/AlbumArtist", "ALBUMARTIST", true},
    {"WM/Composer", "COMPOSER", true}, {"WM/SubTitle", "SUBTITLE", true}, {"WM/ModifiedBy", "MIXARTIST", true},
    {"WM/AlbumTitle", "ALBUM", true}, {"Copyright", "COPYRIGHT", true},
    {"WM/ContentGroupDescription", "GROUPING", true}, {"WM/Genre", "GENRE", true},
    {"WM/ReleaseYear", "RELEASEDATE", true}, {"WM/Year", "RECORDINGDATE", true}, {"WM/Year", "YEAR", false},
    {"WM/TrackNumber", "TRACKNUMBER", true}, {"WM/TrackNumber", "TRACK", false},
    {"WM/PartOfSet", "DISCNUMBER", true}, {"WM/PartOfSet", "DISC", false}, {"WM/BeatsPerMinute", "BPM", true},
    {"WM/InitialKey", "KEY", true}, {"WM/Conductor", "CONDUCTOR", true}, {"WM/Writer", "LYRICIST", true},
    {"WM/Produced", "PRODUCED", true}, {"WM/Studio", "STUDIO", true}, {"WM/Publisher", "PUBLISHER", true},
    {"WM/EncodedBy", "ENCODEDBY", true}, {"WM/EncodingSettings", "SOFTWARESETTINGS", true},
    {"WM/ISRC", "ISRC", true}, {"WM/CatalogNo", "CATALOGNUMBER", true}, {"WM/SetSubTitle", "DISCSUBTITLE", true},
    {"WM/PartOfSeries", "PARTOFSERIES", true}, {"WM/Language", "LANGUAGE", true}, {"WM/Media", "MEDIA", true},
    {"WM/Producer", "PRODUCER", true}, {"WM/Arranger", "ARRANGER", true}, {"WM/Engineer", "ENGINEER", true},
    {"WM/DJMixer", "DJMIXER", true}, {"WM/Mixer", "MIXER", true}, {"WM/TMCL", "TMCL", true},
    {"WM/SharedUserRating", "RATING", true}, {"WM/Popularity", "POPULARITY", true}, {"WM/Quality", "QUALITY", true},
    {"WM/Mood", "MOOD", true}, {"WM/Situation", "SITUATION", true}, {"WM/Preference", "PREFERENCE", true},
    {"Description", "COMMENT", true}, {"WM/Lyrics", "LYRICS", true}, {"WM/Tempo", "TEMPO", true},
    {"WM/ArtistSortOrder", "ARTISTSORT", true}, {"WM/TitleSortOrder", "TITLESORT", true},
    {"WM/AlbumArtistSortOrder", "ALBUMARTISTSORT", true}, {"WM/AlbumSortOrder", "ALBUMSORT", true},
    {"WM/OriginalArtist", "ORIGINALARTIST", true}, {"WM/OriginalTitle", "ORIGINALTITLE", true},
    {"WM/OriginalLyricist", "ORIGINALLYRICIST", true}, {"WM/OriginalFilename", "ORIGINALFILENAME", true},
    {"WM/OriginalReleaseYear", "ORIGINALRELEASEDATE", true}, {"WM/PromotionURL", "URL", true},
    {"WM/AuthorURL", "ARTISTURL", true}, {"WM/AudioFileURL", "AUDIOFILEURL", true},
    {"WM/BuyCDURL", "BUYCDURL", true}, {"WM/PublisherURL", "PUBLISHERURL", true},
    {"WM/RadioURL", "RADIOSTATIONURL", true}, {"CopyrightURL", "COPYRIGHTURL", true},
    {"WM/AudioSourceURL", "OFFICIALAUDIOSOURCEURL", true}, {"WM/PaymentURL", "PAYMENTURL", true},
    {"WM/FileOwner", "FILEOWNER", true}, {"WM/RadioStationName", "RADIOSTATIONNAME", true},
    {"WM/RadioStationOwner", "RADIOSTATIONOWNER", true}, {"WM/Playcount", "PLAYCOUNT", true},
    {"WM/TIPL", "TIPL", true},
};

constexpr std::string_view kIgnored[] = {
    "Duration", "Bitrate", "Seekable", "Stridable", "Broadcast", "Is_Protected", "Is_Trusted", "Signature_Name",
    "HasAudio", "HasImage", "HasScript", "HasVideo", "CurrentBitrate", "OptimalBitrate", "HasAttachedImages",
    "Can_Skip_Backward", "Can_Skip_Forward", "NumberOfFrames", "FileSize", "HasArbitraryDataStream",
    "HasFileTransferStream", "WM/ContainerFormat", "WMFSDKVersion", "WMFSDKNeeded", "IsVBR", "WM/ASFPacketCount",
    "WM/ASFSecurityObjectsSize", "WM/Picture", "WM/StreamTypeInfo", "WM/PeakBitrate", "ASFLeakyBucketPairs",
};
// clang-format on

}  // namespace

std::string WMAAttributeToName(std::string_view attribute) {
    for (const Row& r : kAttributes)
        if (r.load && r.attribute == attribute) return std::string(r.name);
    return std::string(attribute);
}

std::string WMANameToAttribute(std::string_view name) {
    const std::string upper = common::toUpper(name);
    for (const Row& r : kAttributes)
        if (r.name == upper) return std::string(r.attribute);
    return std::string(name);
}

bool WMAIgnoredAttribute(std::string_view attribute) {
    for (std::string_view i : kIgnored)
        if (i == attribute) return true;
    return false;
}

}  // namespace tags
