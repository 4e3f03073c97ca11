#include "SoundLibrary.h"

#include "platform/FileHelpers.h"
#include "platform/Shell.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

constexpr int kSampleRate = 22050;

struct Tone {
    int id;
    std::initializer_list<double> notes; // frequencies played one after another
};

// 101 a bright rising pair (a web page arrived), 102 a three-note falling chime (the list is
// done), 103 a low double buzz (a failure).
const Tone kTones[] = {
    {101, {880.0, 1320.0}},
    {102, {1046.5, 784.0, 523.25}},
    {103, {220.0, 0.0, 220.0}},
};

void appendLE32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void appendLE16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

SoundLibrary::SoundLibrary(Shell& shell, QString folder) : m_shell(shell), m_folder(std::move(folder)) {}

QByteArray SoundLibrary::waveFor(int id) {
    const Tone* tone = nullptr;
    for (const Tone& t : kTones) {
        if (t.id == id)
            tone = &t;
    }
    if (!tone)
        return {};
    const int noteSamples = kSampleRate * 12 / 100; // 0.12 s per note
    QByteArray pcm;
    for (double frequency : tone->notes) {
        for (int i = 0; i < noteSamples; ++i) {
            // A short fade at both ends of every note avoids clicks.
            const double envelope = std::min({1.0, i / 200.0, (noteSamples - i) / 200.0});
            const double sample = frequency > 0 ? std::sin(2.0 * M_PI * frequency * i / kSampleRate) : 0.0;
            appendLE16(pcm, quint16(qint16(sample * envelope * 12000.0)));
        }
    }
    QByteArray wav;
    wav += "RIFF";
    appendLE32(wav, quint32(36 + pcm.size()));
    wav += "WAVEfmt ";
    appendLE32(wav, 16);
    appendLE16(wav, 1); // PCM
    appendLE16(wav, 1); // mono
    appendLE32(wav, kSampleRate);
    appendLE32(wav, kSampleRate * 2);
    appendLE16(wav, 2);
    appendLE16(wav, 16);
    wav += "data";
    appendLE32(wav, quint32(pcm.size()));
    wav += pcm;
    return wav;
}

QString SoundLibrary::ensureSound(int id) const {
    const QByteArray wave = waveFor(id);
    if (wave.isEmpty())
        return {};
    const QString path = FileHelpers::withTrailingSeparator(m_folder) + QString::number(id) + u".wav"_s;
    if (QFile::exists(path))
        return path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(wave);
    return file.commit() ? path : QString();
}

void SoundLibrary::play(int id) const {
    const QString path = ensureSound(id);
    if (!path.isEmpty())
        m_shell.playSound(path);
}

} // namespace mojing
