// The cover-art window: the tag editor's working picture at its full size,
// its width and height, a crop to the centred square, and saving through the
// tag editor, which writes WorkingPicture() as the file's cover.
#pragma once

#include <functional>
#include <string_view>

#include "kit/controls.h"
#include "kit/form.h"

namespace image {
class TImageLoader;
}

namespace ui {

class TForm4 : public TForm {
public:
    TForm4(TApplication& app, const image::TImageLoader& loader);

    TImage ImageTagEditor{this, "ImageTagEditor"};
    TPanel PanelButtons{this, "PanelButtons"};
    TEdit WidthImage{&PanelButtons, "WidthImage"};
    TEdit HeightImage{&PanelButtons, "HeightImage"};
    TButton ButtonEdit{&PanelButtons, "ButtonEdit", "Обрезать"};
    TButton ButtonSave{&PanelButtons, "ButtonSave", "Сохранить"};
    TButton ButtonClose{&PanelButtons, "ButtonClose", "Закрыть"};

    // The tag editor's side, filled when that window exists.
    struct THooks {
        // On every showing: hands the working picture to LoadPicture (the
        // first picture of the tag page that shows).
        std::function<void()> LoadWorkingPicture;
        // After "Сохранить" has closed this window: the tag editor saves.
        std::function<void()> SaveTags;
        // After closing: the tag editor comes back on top.
        std::function<void()> Closed;
    } Hooks;

    // Shows picture bytes (any format the loader knows) at full size, and
    // its width and height. 1 when there were bytes, whether or not they
    // decoded (a picture that does not leaves the window empty); 0 without.
    int LoadPicture(std::string_view bytes);
    // What the window shows now, cropped or not; null when empty.
    TBitmapPtr WorkingPicture() const { return ImageTagEditor.Picture(); }

    void FormShow();
    void ButtonEditClick();
    void ButtonSaveClick();

private:
    void showSize();

    const image::TImageLoader& loader_;
};

}  // namespace ui
