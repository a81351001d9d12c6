// Test doubles of the window services: dialogs answer from a script and
// record what they were asked; the form host records windows shown.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "kit/dialogs.h"
#include "kit/form.h"

namespace ui {

class ScriptedDialogs : public Dialogs {
public:
    struct Call {
        std::string kind;     // "MessageBox", "InputQuery", "OpenFiles", "SaveFile", "SelectFolder"
        std::string text;     // message text, prompt or dialog title
        std::string caption;  // box title or filter
        unsigned flags = 0;
    };

    // Answers are taken in order; with none left, a box answers its first
    // button, and pickers and input boxes cancel.
    std::deque<int> boxAnswers;
    std::deque<std::optional<std::string>> inputAnswers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<Call> calls;

    int MessageBox(const std::string& text, const std::string& caption, unsigned flags) override {
        calls.push_back({"MessageBox", text, caption, flags});
        if (!boxAnswers.empty()) return take(boxAnswers);
        return (flags & 0x0F) == MB_YESNO ? IDYES : IDOK;
    }
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        calls.push_back({"InputQuery", prompt, caption, 0});
        auto answer = inputAnswers.empty() ? std::nullopt : take(inputAnswers);
        if (answer) value = *answer;
        return answer.has_value();
    }
    std::vector<std::string> OpenFiles(const TFileDialogOptions& o) override {
        calls.push_back({"OpenFiles", o.Title, o.Filter, 0});
        return openAnswers.empty() ? std::vector<std::string>{} : take(openAnswers);
    }
    std::optional<std::string> SaveFile(const TFileDialogOptions& o) override {
        calls.push_back({"SaveFile", o.Title, o.Filter, 0});
        return saveAnswers.empty() ? std::nullopt : take(saveAnswers);
    }
    std::optional<std::string> SelectFolder(const std::string& title, const std::string&) override {
        calls.push_back({"SelectFolder", title, {}, 0});
        return folderAnswers.empty() ? std::nullopt : take(folderAnswers);
    }

private:
    template <class Q>
    static typename Q::value_type take(Q& q) {
        auto v = std::move(q.front());
        q.pop_front();
        return v;
    }
};

class RecordingFormHost : public FormHost {
public:
    // Called inside ShowModal, while the form shows; its return is the result.
    std::function<int(TForm&)> onModal;
    std::vector<std::string> modalForms;
    std::vector<std::string> broughtToFront;
    int quits = 0;
    TRect workArea;

    int ShowModal(TForm& form) override {
        modalForms.push_back(form.Name());
        return onModal ? onModal(form) : mrCancel;
    }
    void BringToFront(TForm& form) override { broughtToFront.push_back(form.Name()); }
    void Quit() override { ++quits; }
    TRect WorkArea() override { return workArea; }
};

// Everything a window model needs, wired with the doubles.
struct TestApplication {
    QueueDispatcher dispatcher;
    ScriptedDialogs dialogs;
    RecordingFormHost host;
    TApplication app{dispatcher, dialogs, host};
};

}  // namespace ui
