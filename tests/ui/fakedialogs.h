#pragma once

#include "dialogs.h"

#include <QList>
#include <QString>

#include <deque>

// Records every message and answers save dialogs from a queue (nothing queued: cancel).
class FakeDialogs final : public vellacor::Dialogs
{
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
        if (answers.empty())
            return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QList<Message> messages;
    QList<SaveRequest> saveRequests;
    std::deque<std::optional<QString>> answers;
};
