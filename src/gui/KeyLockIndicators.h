#pragma once
// The CAP, NUM and SCRL panes of the status bar: each shows its text while
// its lock key is on. Where the window system does not tell the lock states
// the texts stay grayed.

#include <QWidget>
#include <optional>

class QLabel;
class QTimer;

namespace tamr::qt {

struct KeyLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// The lock states, when the window system tells them.
std::optional<KeyLocks> QueryKeyLocks();

class KeyLockIndicators : public QWidget {
    Q_OBJECT

public:
    explicit KeyLockIndicators(QWidget* parent = nullptr);

    QLabel* Caps() const { return caps_; }
    QLabel* Num() const { return num_; }
    QLabel* Scroll() const { return scroll_; }

    void Show(const std::optional<KeyLocks>& locks);

private:
    QLabel* caps_;
    QLabel* num_;
    QLabel* scroll_;
    QTimer* poll_;
};

} // namespace tamr::qt
