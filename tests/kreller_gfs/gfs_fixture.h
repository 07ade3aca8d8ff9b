#pragma once
#include "support/TempTree.h"

#include <QImage>
#include <gtest/gtest.h>
#include <string>

class QWidget;

// The kreller_gfs library, loaded as the host loads it, from a copy of its own so every test starts
// with a library that has never been called.
class TGfsLibrary {
public:
    explicit TGfsLibrary(const std::string& copyPath);
    ~TGfsLibrary();
    TGfsLibrary(const TGfsLibrary&) = delete;
    TGfsLibrary& operator=(const TGfsLibrary&) = delete;

    // Calls an export with an argument; the answer is copied at once, as the host does.
    std::string Call(const char* name, const std::string& argument = "") const;
    // The raw answer pointer, for tests of how long it stays readable.
    const char* CallRaw(const char* name, const std::string& argument = "") const;
    const char* CallWithNull(const char* name) const;
    // SHUT_DOWN until it answers something other than "WAIT", processing events between calls;
    // answers the number of calls.
    int ShutDown() const;

private:
    void* handle_ = nullptr;
};

// Pictures written by the test.
void WriteJpeg(const std::string& path, int width, int height, bool noisy = false);
void WriteGif(const std::string& path, int screenWidth, int screenHeight, int frameWidth, int frameHeight);
void WriteImage(const std::string& path, int width, int height, const char* format);
// The first `keep` bytes of a file, written over it.
void Truncate(const std::string& path, std::size_t keep);
std::string ReadAll(const std::string& path);

// The plug-in's dialog, found among the top-level widgets; null when there is none.
QWidget* PluginDialog();
// The lines of the dialog's error list.
QStringList ErrorLog();

// A test with a library just initialised, and a folder for pictures. Shuts the library down after.
class GfsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string LoadCondition(const std::string& text) { return lib->Call("LOAD_CONDITION", text); }
    bool Meets(const std::string& path) { return lib->Call("FILE_MEETS", path) == "Y"; }

    TempTree tree;
    std::unique_ptr<TGfsLibrary> lib;
};
