#pragma once

// What the open document remembers about its language; a new document or closing clears it.
struct DocumentLanguageFlags {
    bool highlightingDeclined = false;  // the user said No to colouring a large file
    bool manualLanguageChoice = false;  // picked from the language menu, not from the extension
    bool javaFlag = false;              // a language named "java" was loaded; Save As uses it

    void clear() { *this = DocumentLanguageFlags(); }
};
