#include "base/file_name.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(FileName, ExtensionIsTheLastDotOfTheNameOn) {
    struct Case {
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"a.txt", ".txt"},
        {"a.b.TXT", ".TXT"},
        {"README", ""},
        {"", ""},
        {"name.", "."},
        {".profile", ".profile"},
        {"C:\\x\\..", "."},
        {"Ş.çğü", ".çğü"},
        // A dot in a folder's name is not the file's.
        {"C:\\x.y\\README", ""},
        {"docs.html/readme", ""},
        {"C:.x", ".x"},
        {"C:\\a.dir\\readme.TxT", ".TxT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExtensionOf(c.name), c.extension) << c.name;
}
