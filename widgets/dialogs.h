#pragma once

#include <QString>
#include <optional>

namespace rundel::widgets {

/// The program's title, on every message box unless another is named.
inline const QString kAppTitle = QStringLiteral("Rundel_Engine");

/// Every message box and question of the program goes through here, so that tests can
/// answer them without a modal box.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// A message with an OK button only.
    virtual void message(const QString& text, const QString& title = kAppTitle) = 0;
    /// A question with OK and Cancel; true for OK.
    virtual bool confirm(const QString& text, const QString& title) = 0;
    /// The open-file dialog: the chosen file, or empty when cancelled. @p filters in the
    /// dialog's "Name (*.ext);;Name (*.*)" form.
    virtual QString open_file(const QString& title, const QString& filters,
                              const QString& folder) = 0;
    /// A whole number from @p lowest to @p highest, offered as @p value; none when cancelled.
    virtual std::optional<int> ask_number(const QString& text, const QString& title, int value,
                                          int lowest, int highest) = 0;
};

} // namespace rundel::widgets
