#pragma once

#include <QString>

namespace quillory {

// The caption of the main window and of every message box that names no title of its own.
inline const QString kAppTitle = QStringLiteral("Quillory! QD");

enum class MsgIcon { None, Information, Exclamation, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One modal message. Lines are joined with a single "\r"; the display turns it into a break,
// so the text compared by tests is exactly the program's own.
struct Message {
    QString text;
    QString title = kAppTitle;
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::Ok;
};

class MessageService {
public:
    virtual ~MessageService() = default;
    virtual MsgAnswer show(const Message& message) = 0;

    MsgAnswer show(const QString& text, const QString& title, MsgIcon icon,
                   MsgButtons buttons = MsgButtons::Ok) {
        return show(Message{text, title, icon, buttons});
    }
};

} // namespace quillory
