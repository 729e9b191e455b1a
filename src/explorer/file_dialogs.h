// The file operations' own modal dialogs: the attributes of one entry
// ("Nitelikler") and the folder to send the selection to ("Klasör göndermek için").
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/controls.h"
#include "toolkit/form.h"

namespace velmora::explorer {

// The four attribute bits the dialog shows.
constexpr uint32_t kDialogAttributeBits =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class TFileAttrDialog : public tk::TForm {
public:
    TFileAttrDialog(const std::string& fileName, uint32_t attributes);
    ~TFileAttrDialog() override;
    // The attributes with the four bits taken from the boxes, the others kept.
    uint32_t Attributes() const;

    std::unique_ptr<tk::TLabel> NameLabel;
    std::unique_ptr<tk::TPanel> Panel1;
    std::unique_ptr<tk::TCheckBox> ReadOnlyBox, ArchiveBox, HiddenBox, SystemBox;
    std::unique_ptr<tk::TButton> OkButton, CancelButton;

private:
    uint32_t attributes_;
    tk::FontHandle labelFont_;
};

// The result the "Gözat" button ends the send dialog with.
constexpr int kBrowseResult = 10;

class TSendDialog : public tk::TForm {
public:
    explicit TSendDialog(const std::string& initialPath);
    ~TSendDialog() override;

    std::unique_ptr<tk::TLabel> PromptLabel;
    std::unique_ptr<tk::TEdit> PathEdit;
    std::unique_ptr<tk::TButton> OkButton, CancelButton, BrowseButton;
};

// Enter and Esc of a dialog form reach the buttons that stand for them.
void HandleDialogKeys(tk::TForm& form, tk::TButton* okButton, tk::TButton* cancelButton);

// The whole send dialog: asks for a folder ("Gözat" goes through the folder
// browser and asks again with its choice); empty when cancelled.
std::string AskSendFolder();

// The shell's folder browser titled "Hedef Klasör"; the chosen folder ends in "\".
bool BrowseForFolder(HWND owner, std::string& folder);

} // namespace velmora::explorer
