#include "tags/facade/tagtypes.h"

namespace tags {

std::string ErrorCodeToText(int code) {
    switch (code) {
    case trSuccess: return "Success.";
    case trNoTagFound: return "No tag found.";
    case trFileNotFound: return "Specified file not found.";
    case trEmptyTag: return "Tag is empty.";
    case trEmptyFrames: return "Tag contains only empty frames.";
    case trErrorOpeningFile: return "Error opening file.";
    case trErrorReadingFile: return "Error reading file.";
    case trErrorWritingFile: return "Error writing file.";
    case trCorruptFile: return "Error: corrupt file.";
    case trUnsupportedTagVersion: return "Error: not supported tag version.";
    case trUnsupportedFileFormat: return "Error: not supported file format.";
    case trAudioLibraryNotLoaded: return "Error: BASS has not yet been loaded into this process.";
    case trAudioLibraryExportMissing: return "Error: acquiring BASS_ChannelGetTexts() function from BASS.dll.";
    case trTagDoesNotFit: return "Error: tag doesn't fit into the file.";
    case trFileLocked: return "Error: file is locked. Need exclusive access to write tag to this file.";
    case trWMARuntimeMissing: return "Error loading WMVCORE.DLL.";
    case trWMAEditorFailed: return "Error: could not create WMA meta data editor.";
    case trWMAHeaderInfoFailed: return "Error: could not query for WMA IWMHeaderInfo3.";
    case trWMAAttributeCountFailed: return "Error: could not query WMA attribute count.";
    case trMP4stcoUpdateFailed: return "Error: updating MP4 'stco' atom.";
    case trMP4co64UpdateFailed: return "Error: updating MP4 'co64' atom.";
    case trUnknownError: return "Unknown error occured.";
    default: return "Unknown error code.";
    }
}

}  // namespace tags
