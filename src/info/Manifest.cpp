#include "info/Manifest.h"

#include "records/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace quillory::info {

QString Manifest::path(const QString& executableFolder, const QString& executableFileName) {
    return CheckDirName(executableFolder) + QFileInfo(executableFileName).completeBaseName() +
           QStringLiteral(".exe.manifest");
}

QString Manifest::pathForThisProgram() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return path(QDir::toNativeSeparators(exe.absolutePath()), exe.fileName());
}

QByteArray Manifest::content() {
    // Attribute texts each followed by their quoted value; the common-controls identity is the
    // platform's published one and must stay exactly so.
    static const char* const pieces[][2] = {
        {"<?xml version=", "1.0"},
        {" encoding=", "UTF-8"},
        {" standalone=", "yes"},
        {"?><assembly xmlns=", "urn:schemas-microsoft-com:asm.v1"},
        {" manifestVersion=", "1.0"},
        {"><assemblyIdentity version=", "1.0.0.0"},
        {" processorArchitecture=", "X86"},
        {" name=", "Arborlight.WindowsXP.Example"},
        {" type=", "win32"},
        {" /> <description>An example of windows XP theming.</description> <dependency> "
         "<dependentAssembly> <assemblyIdentity type=",
         "win32"},
        {" name=", "Microsoft.Windows.Common-Controls"},
        {" version=", "6.0.0.0"},
        {" processorArchitecture=", "X86"},
        {" publicKeyToken=", "6595b64144ccf1df"},
        {" language=", "*"},
    };
    QByteArray line;
    for (const auto& piece : pieces)
        line += QByteArray(piece[0]) + '"' + piece[1] + '"';
    line += " /> </dependentAssembly> </dependency> </assembly>";
    return line + "\r\n";
}

Message Manifest::restartMessage() {
    return Message{QStringLiteral("Please restart Quillory! QD to view Windows XP theme,"),
                   QStringLiteral("Restart"), MsgIcon::Information, MsgButtons::Ok};
}

Message Manifest::themeErrorMessage() {
    return Message{QStringLiteral("Error creating Windows XP theme file. You may be running EXE "
                                  "file from a network drive With which you dont have write "
                                  "permissions. Themes will Not be enabled."),
                   QStringLiteral("Themeing Error!"), MsgIcon::Exclamation, MsgButtons::Ok};
}

Manifest::Outcome Manifest::check(const QString& manifestPath, MessageService& messages) {
    // Looking for the file answers the same question as a trial copy, without needing write
    // access to the system drive's root. A hidden manifest counts: it is written hidden.
    if (QFileInfo(manifestPath).isFile())
        return Outcome::AlreadyThere;
    return makeNEWmanifest(manifestPath, messages);
}

namespace {
bool writeManifest(const QString& path, const QByteArray& bytes) {
#if defined(Q_OS_WIN)
    // A hidden file cannot be replaced while it keeps that attribute.
    SetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()), FILE_ATTRIBUTE_NORMAL);
#endif
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        // A half-written manifest would pass the next start's check; leave none.
        file.remove();
        return false;
    }
#if defined(Q_OS_WIN)
    if (!SetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()), FILE_ATTRIBUTE_HIDDEN))
        return false;
#endif
    return true;
}
} // namespace

Manifest::Outcome Manifest::makeNEWmanifest(const QString& manifestPath, MessageService& messages) {
    if (!writeManifest(manifestPath, content())) {
        messages.show(themeErrorMessage());
        return Outcome::Failed;
    }
    // No automatic restart: the librarian may be in the middle of something, and the new style
    // only matters from the next start, which the message asks for.
    messages.show(restartMessage());
    return Outcome::Written;
}

void Manifest::setUpVisualStyle(MessageService& messages) {
#if defined(Q_OS_WIN)
    check(pathForThisProgram(), messages);
#else
    Q_UNUSED(messages);
#endif
}

} // namespace quillory::info
