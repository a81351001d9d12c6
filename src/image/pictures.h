// Pictures the program makes itself, and what it does to a bitmap without
// the decoder: the cover placeholder and the radio picture are drawn here at
// the size asked for, so that they show even without the image library.
#pragma once

#include "kit/controls.h"

namespace image {

enum class TResourcePicture {
    rpCoverPlaceholder,  // behind the cover: a record, shown while there is no cover
    rpRadio,             // the cover of a radio stream
};

// The picture drawn size x size, transparent around its shape.
ui::TBitmapPtr ResourcePicture(TResourcePicture id, int size);

// Its natural size, when a control does not ask it to fit.
inline constexpr int kResourcePictureSize = 300;

// Puts the picture into the image control: with fit, as large as the
// control's smaller side (when the control has a size), otherwise at its
// natural size; the control shows it stretched, proportional and centred.
bool ShowResourcePicture(ui::TImage& control, TResourcePicture id, bool fit);

// The centred square of the picture, as large as its shorter side: a
// 300 x 200 picture gives the 200 x 200 block from x = 50. A square one
// comes back as it is.
ui::TBitmapPtr CropToCentredSquare(const ui::TBitmapPtr& picture);

}  // namespace image
