// TDbfGlobals: the process-wide defaults of the table layer. Tables whose header names no code page are read
// with the default code page, 866. Installed code pages are those the code-page service converts.
#pragma once

struct TDbfGlobals {
    int DefaultCodePage = 866;

    static TDbfGlobals& instance()
    {
        static TDbfGlobals globals;
        return globals;
    }
};
