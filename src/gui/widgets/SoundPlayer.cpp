#include "gui/widgets/SoundPlayer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>
#endif

namespace shopkeeper::gui {

namespace {

QByteArray chime()
{
    QFile file(QStringLiteral(":/saved.wav"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#ifndef _WIN32
bool hasAudioDevice()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && (QFile::exists(runtime + QStringLiteral("/pulse/native")) ||
                               QFile::exists(runtime + QStringLiteral("/pipewire-0"))))
        return true;
    const QDir sound(QStringLiteral("/dev/snd"));
    return sound.exists() && !sound.entryList({QStringLiteral("pcm*")}, QDir::System).isEmpty();
}
#endif

} // namespace

void SoundPlayer::playSaved()
{
#ifdef _WIN32
    static const QByteArray wav = chime();
    if (!wav.isEmpty())
        PlaySoundA(wav.constData(), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
#else
    if (!hasAudioDevice())
        return;
    QString player = QStandardPaths::findExecutable(QStringLiteral("paplay"));
    if (player.isEmpty())
        player = QStandardPaths::findExecutable(QStringLiteral("aplay"));
    if (player.isEmpty())
        return;
    const QString path = QDir::temp().filePath(QStringLiteral("shopkeeper-saved.wav"));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(chime()) < 0)
            return;
    }
    QStringList arguments;
    if (player.endsWith(QStringLiteral("aplay")))
        arguments << QStringLiteral("-q");
    arguments << path;
    QProcess::startDetached(player, arguments);
#endif
}

} // namespace shopkeeper::gui
