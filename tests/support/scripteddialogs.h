#pragma once

#include "widgets/dialogs.h"

#include <QQueue>
#include <QStringList>

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
    QStringList messages;
    QStringList titles;
    QStringList questions;
    QQueue<bool> answers;
};

} // namespace rundel::test
