#pragma once
// A test fixture for the main window with its dialogs answered by the test: message boxes are
// recorded, questions are answered yes, the browser always opens, and input boxes take the
// queued answers (each prompt recorded as "title|prompt|initial"); with no answer queued an
// input box is cancelled and returns its initial text.

#include "editor/main_window.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <deque>

class ScriptedMainWindowTest : public ::testing::Test {
protected:
    // The hooks described above; the caller adds any others before making the window.
    TZoetraF::Hooks scriptedHooks()
    {
        TZoetraF::Hooks hooks;
        hooks.message = [this](const QString&, const QString& text) { messages_.push_back(text); };
        hooks.confirm = [](const QString&, const QString&) { return true; };
        hooks.openUrl = [](const QUrl&) { return true; };
        hooks.input = [this](const QString& title, const QString& prompt, const QString& initial) {
            prompts_.push_back(title + "|" + prompt + "|" + initial);
            if (answers_.empty())
                return initial; // cancelled
            QString answer = answers_.front();
            answers_.pop_front();
            return answer;
        };
        return hooks;
    }

    // Checks the application object and the settings folder; call first in SetUp.
    void checkEnvironment()
    {
        ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
        ASSERT_TRUE(dir_.isValid());
    }

    QTemporaryDir dir_;
    std::deque<QString> answers_;
    QStringList prompts_;
    QStringList messages_;
};
