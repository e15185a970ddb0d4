#pragma once

// The stand-in engine component, Game.dll: the four exported functions and
// the media reader object they hand out. Every function returns 0 on success.
// Nothing here throws; all calls are expected from one thread.

#include <windows.h>

// Reads named resources from .mdc media packs in the current directory's
// "Media" folder. One file is current at a time; a selected language is
// preferred for every later read, with the language-neutral resource as the
// fallback.
//
// The slot order of the virtual functions is part of the binary contract:
// callers built with their own declaration of this class call through these
// slots. There is deliberately no virtual destructor (it would take a slot);
// a reader is destroyed only through Release().
class MediaResourceReader {
public:
    // Destroys the reader; the pointer is invalid afterwards.
    virtual void Release() = 0;

    // Called once right after creation. Clears the current file and the
    // selected language.
    virtual void Begin() = 0;

    // Makes Media\<fileName> current, replacing the current file. 0 when it
    // opened and is a well-formed pack; non-zero when the name is not a bare
    // file name (1), the file cannot be opened (2) or is not a readable pack
    // (3), or on an internal failure (4); then no file is current.
    virtual int OpenMediaFile(const char* fileName) = 0;

    // The NUL-terminated bytes of resource (type, name) of the current file,
    // in the selected language or else language-neutral. The only format is
    // "txt": the resource's bytes as they are stored. nullptr when no file is
    // current, the resource is absent, corrupt or larger than 16 MiB, or an
    // argument is null or the format is not "txt". The text stays valid until
    // EndResourceRead() or the next ReadResourceText(), whichever comes first.
    virtual const char* ReadResourceText(const char* name, const char* type, const char* format) = 0;

    // Ends the read: frees the text the last ReadResourceText() returned.
    virtual void EndResourceRead() = 0;

    // Later reads prefer resources in this language; null or "" selects the
    // language-neutral resources only. Stays in force across OpenMediaFile().
    virtual void SelectLanguage(const char* languageName) = 0;

protected:
    ~MediaResourceReader() = default;
};

// The interface kind that CreateInterface() answers with a MediaResourceReader.
constexpr int kMediaResourceReaderKind = 16;

// C functions of the C calling convention, exported under their plain names
// (dll/Game.def) on both bitnesses.
extern "C" {

// Starts the engine system for the given main window. 0 on success.
int __cdecl CreateSystem(HWND window, HINSTANCE instance);

// Stops the engine system. 0 on success.
int __cdecl DestroySystem(void);

// Runs the engine system once. Always 0 in this stand-in.
int __cdecl ExecuteSystem(void);

// For kind 16 stores a new MediaResourceReader in *object and returns 0. For
// any other kind, or a null object address, stores nullptr (where it can) and
// returns non-zero: 2 for an unknown kind, 3 for a null address, 4 when the
// reader cannot be made.
int __cdecl CreateInterface(int kind, void** object);
}
