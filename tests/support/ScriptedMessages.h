#pragma once

#include "platform/MessageService.h"

#include <QList>
#include <QQueue>

namespace quillory::test {

// Message boxes answered in advance. Every box shown is recorded; a box for which no answer was
// queued fails the running test (and is answered with its safest choice: OK, Cancel or No), and
// so does an answer still queued when the double goes: a box the test expected never came.
class ScriptedMessages : public MessageService {
public:
    ~ScriptedMessages() override;
    using MessageService::show;
    MsgAnswer show(const Message& message) override;

    // Queues the answer to the next box.
    ScriptedMessages& answer(MsgAnswer a) {
        answers.enqueue(a);
        return *this;
    }
    ScriptedMessages& answerOk() { return answer(MsgAnswer::Ok); }

    QList<Message> shown;
    QQueue<MsgAnswer> answers;
    // Texts of the boxes shown, in order.
    QStringList texts() const;
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(), answers.clear(); }
};

} // namespace quillory::test
