#pragma once

#include "widgets/dialogs.h"

class QWidget;

namespace rundel::widgets {

/// Dialogs as modal message boxes over a parent window.
class MessageBoxDialogs final : public Dialogs {
public:
    explicit MessageBoxDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void set_parent(QWidget* parent) { parent_ = parent; }
    void message(const QString& text, const QString& title = kAppTitle) override;
    bool confirm(const QString& text, const QString& title) override;
    QString open_file(const QString& title, const QString& filters, const QString& folder) override;
    std::optional<int> ask_number(const QString& text, const QString& title, int value, int lowest,
                                  int highest) override;

private:
    QWidget* parent_;
};

} // namespace rundel::widgets
