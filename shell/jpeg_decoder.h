#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace nv {

// libturbojpeg, loaded while someone holds it. The program decodes its pictures at start, when
// the window is shown again and on a few clicks and hovers; linked for good, the library would
// stay resident (about 650 kB) for the whole life of a program that mostly waits, in the tray or
// shown. A hover loads it for its one picture, which costs about 0.1 ms more than a decode with
// the library held; whoever decodes several pictures in a row holds it across them.
class JpegDecoderHold {
 public:
  // Throws nv::Error naming the library when it cannot be loaded.
  JpegDecoderHold();
  ~JpegDecoderHold();
  JpegDecoderHold(const JpegDecoderHold&) = delete;
  JpegDecoderHold& operator=(const JpegDecoderHold&) = delete;

  // Decodes `bytes`, the picture called `name` in messages. Throws nv::Error when they are no
  // JPEG picture.
  QImage Decode(const QByteArray& bytes, const QString& name) const;

 private:
  void* library_;
};

}  // namespace nv
