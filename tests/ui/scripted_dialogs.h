// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

#include "platform/user_dialogs.h"

// Answers the window's message boxes and dialogs from queues a test fills, and records every
// call. Empty queues answer Yes/OK for messages and "cancelled" for dialogs.
class ScriptedDialogs : public UserDialogs {
  public:
    enum class Call { Message, OpenFile, OpenFiles, SaveFile, BrowseFolder, OpenUrl };

    struct Record {
        Call call;
        MessageKind kind;  // Information for everything but messages.
        // The message text; the several-files dialog's title; the folder dialog's start
        // folder; the address; empty otherwise.
        QString text;
    };

    std::vector<Record> calls;

    std::deque<bool> answers;  // Yes (true) / No for questions; OK is always true.
    std::deque<QString> openFileResults;
    std::deque<QStringList> openFilesResults;
    std::deque<QString> saveFileResults;
    std::deque<QString> folderResults;
    bool openUrlResult = true;

    // Runs while a message is "on screen", before the answer is returned.
    std::function<void(MessageKind, const QString&)> onMessage;
    // Runs while a file or folder dialog is "on screen".
    std::function<void(Call)> onDialog;

    bool showMessage(QWidget*, MessageKind kind, const QString& text) override {
        calls.push_back({Call::Message, kind, text});
        if (onMessage) onMessage(kind, text);
        bool answer = true;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        return kind == MessageKind::Question ? answer : true;
    }

    QString openFile(QWidget*) override {
        record(Call::OpenFile, QString());
        return take(openFileResults);
    }

    QStringList openFiles(QFileDialog& dialog) override {
        record(Call::OpenFiles, dialog.windowTitle());
        return take(openFilesResults);
    }

    QString saveFile(QWidget*) override {
        record(Call::SaveFile, QString());
        return take(saveFileResults);
    }

    QString browseFolder(QWidget*, const QString& startFolder) override {
        record(Call::BrowseFolder, startFolder);
        return take(folderResults);
    }

    bool openUrl(const QUrl& url) override {
        record(Call::OpenUrl, url.toString());
        return openUrlResult;
    }

    // The messages shown so far, in order.
    std::vector<Record> messages() const {
        std::vector<Record> found;
        for (const Record& r : calls) {
            if (r.call == Call::Message) found.push_back(r);
        }
        return found;
    }
    int count(Call call) const {
        int n = 0;
        for (const Record& r : calls) n += r.call == call ? 1 : 0;
        return n;
    }

  private:
    void record(Call call, const QString& text) {
        calls.push_back({call, MessageKind::Information, text});
        if (onDialog) onDialog(call);
    }

    template <typename T>
    static T take(std::deque<T>& queue) {
        if (queue.empty()) return T();
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};
