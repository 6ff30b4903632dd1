#pragma once

#include "TextCodec.h"
#include "EditorSurface.h"

#include <QString>

// The per-document state of the main window: path, saved flag and copy, and the modes a save writes in.
struct DocumentState {
    static constexpr const char *Untitled = "Untitled";

    QString strfilename = QString::fromLatin1(Untitled);
    bool isDocumentSaved = true;
    TextFingerprint OriginalDoc;       // the text as last loaded or saved
    qint64 lngFileSize = 0;
    QString fileTimeText;
    QString currentFolder;
    bool isLoading = false;
    // A new document is this platform's text: UTF-8 with LF line ends.
    TextEncoding encoding = TextEncoding::Utf8;
    bool utf8Bom = false;
    bool isUnix = true;                // program-wide, as loading and the conversions set it
    bool isBinary = false;

    bool isUntitled() const { return strfilename == QLatin1String(Untitled); }
};
