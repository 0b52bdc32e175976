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
    const QByteArray what =
        "unexpected message box: [" + message.title.toUtf8() + "] " + message.text.toUtf8();
    QTest::qFail(what.constData(), __FILE__, __LINE__);
    switch (message.buttons) {
    case MsgButtons::Ok:
        return MsgAnswer::Ok;
    case MsgButtons::OkCancel:
        return MsgAnswer::Cancel;
    case MsgButtons::YesNo:
        return MsgAnswer::No;
    }
    return MsgAnswer::Ok;
}

ScriptedMessages& ScriptedMessages::answer(MsgAnswer a) {
    answers.enqueue(a);
    return *this;
}

QStringList ScriptedMessages::texts() const {
    QStringList list;
    for (const Message& m : shown)
        list.append(m.text);
    return list;
}

void ScriptedMessages::clear() {
    shown.clear();
    answers.clear();
}

} // namespace quillory::test
