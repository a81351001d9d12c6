// Ties a model property to a Qt object: the observer runs now and on every
// change, and is removed when the Qt object goes away, so models may outlive
// their widgets.
#pragma once

#include <QObject>

#include "kit/grid.h"
#include "kit/property.h"

namespace orvelin::qt {

template <class T, class F>
void watch(ui::Property<T>& property, QObject* owner, F f) {
    f(property());
    int id = property.observe([f](const T& v) { f(v); });
    QObject::connect(owner, &QObject::destroyed, [&property, id] { property.unobserve(id); });
}

template <class F>
void watchGrid(ui::TStringGrid& grid, QObject* owner, F f) {
    int id = grid.observe(f);
    QObject::connect(owner, &QObject::destroyed, [&grid, id] { grid.unobserve(id); });
}

}  // namespace orvelin::qt
