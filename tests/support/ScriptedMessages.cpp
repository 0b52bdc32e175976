#include "support/ScriptedMessages.h"

#include <QTest>

namespace quillory::test {

ScriptedMessages::~ScriptedMessages() {
    if (!answers.isEmpty() && !QTest::currentTestFailed())
        QTest::qFail(qPrintable(QString::number(answers.size()) +
                                QStringLiteral(" queued answer(s) never used")),
                     __FILE__, __LINE__);
}

MsgAnswer ScriptedMessages::show(const Message& message) {
    shown.append(message);
    if (!answers.isEmpty())
        return answers.dequeue();
    QTest::qFail(qPrintable("unexpected message box: [" + message.title + "] " + message.text),
                 __FILE__, __LINE__);
    return message.buttons == MsgButtons::Ok         ? MsgAnswer::Ok
           : message.buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel
                                                     : MsgAnswer::No;
}

QStringList ScriptedMessages::texts() const {
    QStringList list;
    for (const Message& m : shown)
        list.append(m.text);
    return list;
}

} // namespace quillory::test
