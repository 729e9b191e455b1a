// The topics window: the lines of the text written as "<title>", to jump to.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/form.h"
#include "toolkit/gdi.h"
#include "toolkit/controls.h"
#include "toolkit/rich_edit.h"

namespace velmora::app {

// The topic lines of a text, in order: each whole line that holds a "<"
// anywhere and ends with ">". Lines end at CR, LF or CR LF.
std::vector<std::string> TopicLines(const std::string& text);

class TForm4;
// Binds the window's topics action (Konular) to showing the topics window that
// `topics` gives (made when first asked for).
void BindTopicsCommands(tk::TActionList& actions, std::function<TForm4&()> topics);

class TForm4 : public tk::TForm {
public:
    // The editor the topics come from and jumps go to, asked for at each use
    // (null: none, the list stays empty).
    using EditorSource = std::function<tk::TRichEdit*()>;
    // reveal brings a hidden editor into view before a jump focuses it.
    explicit TForm4(EditorSource editor, std::function<void()> reveal = {});
    ~TForm4() override;

    std::unique_ptr<tk::TListBox> KonuBox;

    // The topics command: shows the window without making it modal, with the
    // list filled anew (also when it was showing already).
    void ShowTopics();
    // Fills the list from the editor's text (on every show and on F5).
    void FillTopics();
    // Selects the first occurrence of the item's text in the editor, letter
    // case ignored, and gives the editor the focus (when it can take it: a
    // hidden editor is revealed first); nothing when the text is not there.
    void JumpToTopic(int index);

private:
    void CreateControls();
    EditorSource editor_;
    std::function<void()> reveal_;
    tk::FontHandle listFont_;
};

} // namespace velmora::app
