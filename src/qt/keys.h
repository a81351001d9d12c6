// Keys between Qt and the models: the models use virtual-key codes, and
// shortcuts pack one with its modifiers as the settings keep them.
#pragma once

#include <QKeySequence>
#include <cstdint>

#include "kit/component.h"

namespace orvelin::qt {

// The model's key code of a Qt key; 0 for keys the models do not know.
uint16_t keyCodeFromQt(int qtKey);
ui::TShiftState shiftFromQt(Qt::KeyboardModifiers modifiers);

QKeySequence toSequence(ui::TShortCut shortCut);
// The first key of the sequence; 0 when the models cannot hold it.
ui::TShortCut fromSequence(const QKeySequence& sequence);

}  // namespace orvelin::qt
