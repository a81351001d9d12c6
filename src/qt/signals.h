// SIGINT and SIGTERM close the main window as the user closing it would, so
// that the shutdown saves run and the process ends normally.
#pragma once

#include <functional>

class QObject;

namespace orvelin::qt {

// Runs onSignal on the UI thread when either signal arrives.
void closeOnTerminationSignals(QObject* owner, std::function<void()> onSignal);

}  // namespace orvelin::qt
