#include "ui/tform4.h"

#include "image/imageloader.h"
#include "image/pictures.h"

namespace ui {

TForm4::TForm4(TApplication& app, const image::TImageLoader& loader) : TForm(app, "Form4"), loader_(loader) {
    Caption.set("Редактор обложки");
    ClientWidth.set(604);
    ClientHeight.set(491);
    MinWidth.set(620);
    MinHeight.set(530);

    PanelButtons.Align.set(TAlign::alBottom);
    PanelButtons.Height.set(41);
    struct Box {
        TEdit* edit;
        int left;
        const char* hint;
    };
    for (const Box& b : {Box{&WidthImage, 8, "Ширина"}, Box{&HeightImage, 76, "Высота"}}) {
        b.edit->SetBounds(b.left, 10, 60, 21);
        b.edit->ReadOnly.set(true);
        b.edit->Hint.set(b.hint);
    }
    ButtonEdit.SetBounds(359, 8, 75, 25);
    ButtonSave.SetBounds(440, 8, 75, 25);
    ButtonClose.SetBounds(521, 8, 75, 25);
    ImageTagEditor.Align.set(TAlign::alClient);
    ImageTagEditor.Stretch.set(true);
    ImageTagEditor.Proportional.set(true);
    ImageTagEditor.Center.set(true);
    showSize();

    OnShow = [this] { FormShow(); };
    OnClose = [this] {
        if (Hooks.Closed) Hooks.Closed();
    };
    ButtonEdit.OnClick = [this] { ButtonEditClick(); };
    ButtonSave.OnClick = [this] { ButtonSaveClick(); };
    ButtonClose.OnClick = [this] { Close(); };
}

void TForm4::FormShow() {
    ImageTagEditor.Clear();
    if (Hooks.LoadWorkingPicture) Hooks.LoadWorkingPicture();
    showSize();
}

int TForm4::LoadPicture(std::string_view bytes) {
    ImageTagEditor.Clear();
    if (bytes.empty()) {
        showSize();
        return 0;
    }
    ImageTagEditor.Picture.set(loader_.LoadBitmapFromMemory(bytes));
    showSize();
    return 1;
}

void TForm4::ButtonEditClick() {
    ImageTagEditor.Picture.set(image::CropToCentredSquare(ImageTagEditor.Picture()));
    showSize();
}

void TForm4::ButtonSaveClick() {
    Close();
    if (Hooks.SaveTags) Hooks.SaveTags();
}

void TForm4::showSize() {
    TBitmapPtr picture = ImageTagEditor.Picture();
    WidthImage.Text.set(std::to_string(picture ? picture->Width : 0));
    HeightImage.Text.set(std::to_string(picture ? picture->Height : 0));
}

}  // namespace ui
