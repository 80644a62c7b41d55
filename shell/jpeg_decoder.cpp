#include "shell/jpeg_decoder.h"

#include <dlfcn.h>
#include <turbojpeg.h>

#include <memory>
#include <string>

#include "platform/error.h"

namespace nv {

namespace {

constexpr const char* kLibrary = "libturbojpeg.so.0";
// QImage::Format_RGB32 as bytes: 0xffRRGGBB in native order.
constexpr TJPF kRgb32Order = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? TJPF_BGRA : TJPF_ARGB;

template <typename Function>
Function* Find(void* library, const char* name) {
  void* symbol = ::dlsym(library, name);
  if (!symbol) throw Error(std::string("JPEG decoder unavailable: ") + kLibrary + " has no " + name);
  return reinterpret_cast<Function*>(symbol);
}

}  // namespace

JpegDecoderHold::JpegDecoderHold() : library_(::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL)) {
  if (!library_) {
    const char* reason = ::dlerror();
    throw Error(std::string("JPEG decoder unavailable: ") + (reason ? reason : kLibrary));
  }
}

JpegDecoderHold::~JpegDecoderHold() { ::dlclose(library_); }

QImage JpegDecoderHold::Decode(const QByteArray& bytes, const QString& name) const {
  const auto init = Find<decltype(tjInitDecompress)>(library_, "tjInitDecompress");
  const auto destroy = Find<decltype(tjDestroy)>(library_, "tjDestroy");
  const auto header = Find<decltype(tjDecompressHeader3)>(library_, "tjDecompressHeader3");
  const auto decompress = Find<decltype(tjDecompress2)>(library_, "tjDecompress2");
  const auto errorText = Find<decltype(tjGetErrorStr2)>(library_, "tjGetErrorStr2");
  const auto errorCode = Find<decltype(tjGetErrorCode)>(library_, "tjGetErrorCode");

  std::unique_ptr<void, int (*)(tjhandle)> decoder(init(), destroy);
  if (!decoder) throw Error("JPEG decoder unavailable");
  const auto failure = [&] {
    return Error("JPEG error #" + std::string(errorText(decoder.get())) + " in " + name.toStdString());
  };
  auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const auto size = static_cast<unsigned long>(bytes.size());
  int width = 0, height = 0, subsampling = 0, colorspace = 0;
  if (header(decoder.get(), data, size, &width, &height, &subsampling, &colorspace) != 0) throw failure();
  // Decoded straight into the format of the window's backing store, so that painting a picture
  // is a plain copy: a 3-byte picture is converted on every paint, and Qt spreads a large
  // conversion over threads of its own that it then keeps.
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) throw Error("Out of memory for picture " + name.toStdString());
  if (decompress(decoder.get(), data, size, image.bits(), width, int(image.bytesPerLine()), height, kRgb32Order, 0) != 0 &&
      errorCode(decoder.get()) == TJERR_FATAL)
    throw failure();
  return image;
}

}  // namespace nv
