#pragma once

#include "dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every message and answers save dialogs from a queue; a null answer, or none
// queued, cancels.
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

    void message(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        messages.append({title, text, icon});
    }
    std::optional<QString> saveFileName(QWidget *, const QString &name,
                                        const QString &filter) override
    {
        saveRequests.append({name, filter});
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }

    QList<Message> messages;
    QList<SaveRequest> saveRequests;
    QStringList answers;
};
