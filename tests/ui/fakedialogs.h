#pragma once

#include "dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// Records every message and answers save dialogs from a queue; a null answer, or none
// queued, cancels; a failure set makes the next one fail to open. whileWaiting runs once
// inside the next dialog, as input that arrives while a real dialog waits for the user. asked
// lists "message" and "save" in the order asked.
class FakeDialogs final : public vellacor::Dialogs {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
    };
    struct SaveRequest {
        QString name;
        QString filter;
    };

    void showMessage(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        messages.append({title, text, icon});
        asked.append("message");
        wait();
    }
    SaveChoice askSaveFileName(QWidget *, const QString &name, const QString &filter) override
    {
        saveRequests.append({name, filter});
        asked.append("save");
        if (onSave)
            onSave();
        wait();
        if (!failure.isEmpty())
            return {std::nullopt, std::exchange(failure, QString())};
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answer.isNull())
            return {};
        return {answer, QString()};
    }

    void wait()
    {
        if (auto input = std::exchange(whileWaiting, {}))
            input();
    }

    QList<Message> messages;
    QList<SaveRequest> saveRequests;
    QStringList asked;
    std::function<void()> onSave; // runs as each save dialog opens
    QStringList answers;
    QString failure; // the next save dialog cannot open, for this reason
    std::function<void()> whileWaiting;
};
