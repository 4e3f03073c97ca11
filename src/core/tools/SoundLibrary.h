#pragma once

#include <QString>

namespace mojing {

class Shell;

// The three notification sounds: 101 a web page was downloaded, 102 the list finished or the
// stop rule ended it, 103 a download failed. Each is a short WAV tone written into the data
// folder when it is missing, then played through the shell.
class SoundLibrary {
public:
    SoundLibrary(Shell& shell, QString folder);

    // The sound's file, written first when missing; empty for an unknown id or a failed write.
    QString ensureSound(int id) const;
    void play(int id) const;

    // The WAV bytes of a sound (a mono 16-bit tone distinct per id); empty for an unknown id.
    static QByteArray waveFor(int id);

private:
    Shell& m_shell;
    QString m_folder;
};

} // namespace mojing
