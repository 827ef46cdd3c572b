#pragma once

#include "widgets/dialogs.h"

#include <QQueue>
#include <QStringList>
#include <algorithm>

namespace rundel::test {

/// Answers questions from a script and keeps every message shown.
class ScriptedDialogs final : public widgets::Dialogs {
public:
    void message(const QString& text, const QString& title = widgets::kAppTitle) override {
        messages.append(text);
        titles.append(title);
    }
    bool confirm(const QString& text, const QString& title) override {
        questions.append(title + QStringLiteral(": ") + text);
        return answers.isEmpty() ? false : answers.dequeue();
    }
    QString open_file(const QString& title, const QString& filters,
                      const QString& folder) override {
        file_dialogs.append(title + QStringLiteral(" | ") + filters + QStringLiteral(" | ") +
                            folder);
        return chosen_file;
    }
    std::optional<int> ask_number(const QString& text, const QString& title, int value, int lowest,
                                  int highest) override {
        questions.append(title + QStringLiteral(": ") + text);
        asked_value = value;
        return numbers.isEmpty() ? std::nullopt
                                 : std::optional(std::clamp(numbers.dequeue(), lowest, highest));
    }
    QStringList messages;
    QQueue<int> numbers; ///< answers to ask_number; none left: cancelled
    int asked_value = -1;
    QStringList file_dialogs;
    QString chosen_file;
    QStringList titles;
    QStringList questions;
    QQueue<bool> answers;
};

} // namespace rundel::test
