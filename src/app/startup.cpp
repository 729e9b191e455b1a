#include "app/startup.h"

#include <windows.h>

#include <cctype>

#include "base/os.h"
#include "explorer/dir_tree.h"
#include "explorer/file_list_view.h"
#include "explorer/path_utils.h"
#include "toolkit/application.h"
#include "toolkit/trace.h"

namespace velmora::app {

namespace {

bool HexDigits(const std::string& text, size_t from, size_t count) {
    if (text.size() < from + count) return false;
    for (size_t i = from; i < from + count; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

bool EqualsIgnoringCase(const std::string& text, size_t from, const std::string& part) {
    return text.size() >= from + part.size() &&
           os::AnsiUpperCase(text.substr(from, part.size())) == os::AnsiUpperCase(part);
}

// Opened for deletion with no sharing: that fails while anyone holds the file.
bool RemoveIfUnused(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

bool IsLeftoverName(const std::string& name, bool hexFiles) {
    // The safe writer's: "~vlm", 8 hex digits, ".tmp".
    if (name.size() == 16 && EqualsIgnoringCase(name, 0, "~vlm") && HexDigits(name, 4, 8) &&
        EqualsIgnoringCase(name, 12, ".tmp"))
        return true;
    if (!hexFiles || !HexDigits(name, 0, 8) || !EqualsIgnoringCase(name, 8, ".KWTF")) return false;
    if (name.size() == 13) return true; // a working copy
    // An undo file: ".undo" and at most two more digits (the numbered names).
    if (name.size() < 18 || name.size() > 20 || !EqualsIgnoringCase(name, 13, ".undo")) return false;
    for (size_t i = 18; i < name.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

int RemoveLeftoverFiles(const std::string& tempFolder, const std::vector<std::string>& otherFolders) {
    int removed = 0;
    auto sweep = [&removed](const std::string& folder, bool hexFiles) {
        if (folder.empty() || !explorer::FolderExists(folder)) return;
        const std::string base = explorer::AddSlash(folder);
        std::vector<std::string> names;
        WIN32_FIND_DATAA found{};
        HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            constexpr DWORD skipped =
                FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_READONLY;
            if (!(found.dwFileAttributes & skipped) && IsLeftoverName(found.cFileName, hexFiles))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        for (const std::string& name : names)
            if (RemoveIfUnused(base + name)) ++removed;
    };
    sweep(tempFolder, true);
    const std::string temp = os::AnsiUpperCase(explorer::AddSlash(tempFolder));
    for (const std::string& folder : otherFolders)
        if (os::AnsiUpperCase(explorer::AddSlash(folder)) != temp) sweep(folder, false);
    return removed;
}

std::unique_ptr<Forms> CreateForms() {
    tk::Application().Initialize();
    auto forms = std::make_unique<Forms>();
    forms->form1 = std::make_unique<TForm1>();
    tk::TraceMark("main window made");
    tk::Application().SetMainForm(forms->form1.get());
    TForm1& main = *forms->form1;
    Forms* made = forms.get();
    BindOptionsCommands(main.MainActionList, [made]() -> TForm2& { return made->Options(); });
    BindTopicsCommands(main.MainActionList, [made]() -> TForm4& { return made->Topics(); });
    return forms;
}

TForm2& Forms::Options() {
    if (!form2) form2 = std::make_unique<TForm2>(*form1);
    return *form2;
}

TForm3& Forms::Report() {
    if (!form3) form3 = std::make_unique<TForm3>();
    return *form3;
}

TForm4& Forms::Topics() {
    if (!form4) {
        TForm1& main = *form1;
        // The topics come from the main window's text editor (asked at each
        // use: a load makes a new one); a jump while another viewer shows
        // brings the text panel forward, as its button does.
        form4 = std::make_unique<TForm4>(
            [&main]() -> tk::TRichEdit* { return main.TextPanel ? main.TextPanel->RichEdit1.get() : nullptr; },
            [&main] { main.MainActionList.Get("MetinEditoru").Execute(); });
    }
    return *form4;
}

void ShowMainForm(Forms& forms) {
    forms.form1->Show();
}

int RunProgram() {
    tk::TraceMark("entry");
    explorer::TFileListView::PrepareImagesAhead();
    explorer::TDirTree::PrepareAhead();
    auto forms = CreateForms();
    // Before the window shows: what earlier runs left in the temp folder, the
    // settings folder and the archive folder (where documents are saved most).
    RemoveLeftoverFiles(os::TempFolder(),
                        {forms->form1->AppDir + "ini\\", forms->form1->Explorer.ArchivedFolder()});
    tk::TraceMark("left-overs removed");
    ShowMainForm(*forms);
    tk::TraceMark("main window shown");
    tk::Application().Run();
    forms.reset();
    tk::Application().Finalize();
    return 0;
}

} // namespace velmora::app
