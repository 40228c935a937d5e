#pragma once
// While a command's work runs on another thread, the program goes on
// painting and answering the window manager, but takes no input: clicks,
// keys, wheel turns, drops and close requests are swallowed, as when the
// command ran on the user-interface thread itself.

#include <QObject>

namespace tamr::qt {

class InputHold : public QObject {
public:
    // Holds input for as long as it lives.
    InputHold();
    ~InputHold() override;
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace tamr::qt
