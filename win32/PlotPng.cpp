#include "win32/PlotPng.h"

#include <windows.h>

#include <wincodec.h>

#include <cstdio>

#include "win32/ReplaceFile.h"

namespace tessaro {

namespace {

// Releases a COM interface when it goes.
template <typename T>
class Com {
 public:
  Com() = default;
  ~Com() {
    if (p_ != nullptr) p_->Release();
  }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* operator->() const { return p_; }
  T** operator&() { return &p_; }  // NOLINT(google-runtime-operator): COM's out parameters
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

std::string Failed(const char* what, HRESULT hr) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (0x%08lx)", what, static_cast<unsigned long>(hr));
  return text;
}

std::string Encode(const std::wstring& path, int width, int height, int stride,
                   const unsigned char* pixels) {
  Com<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return Failed("the image codecs", hr);
  Com<IWICStream> stream;
  if (FAILED(hr = factory->CreateStream(&stream))) return Failed("a stream", hr);
  if (FAILED(hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) {
    return Failed("opening the file", hr);
  }
  Com<IWICBitmapEncoder> encoder;
  if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder))) {
    return Failed("the PNG encoder", hr);
  }
  if (FAILED(hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) {
    return Failed("the PNG encoder", hr);
  }
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(hr = encoder->CreateNewFrame(&frame, &options)) ||
      FAILED(hr = frame->Initialize(options.get())) ||
      FAILED(hr = frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)))) {
    return Failed("a frame", hr);
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(hr = frame->SetPixelFormat(&format))) return Failed("the pixel format", hr);
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
    return "the PNG encoder wants other pixels";
  const UINT size = static_cast<UINT>(stride) * static_cast<UINT>(height);
  if (FAILED(hr = frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(stride), size,
                                     const_cast<BYTE*>(pixels))) ||
      FAILED(hr = frame->Commit()) || FAILED(hr = encoder->Commit())) {
    return Failed("writing the picture", hr);
  }
  return {};
}

}  // namespace

std::string WritePng(const std::string& path, int width, int height, int stride,
                     const unsigned char* pixels) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string error;
  {
    const std::string partial = path + ".partial";
    error = Encode(WidePath(partial), width, height, stride, pixels);
    if (error.empty()) {
      error = ReplaceWith(partial, path);
    } else {
      DeleteFileA(partial.c_str());
    }
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return error;
}

}  // namespace tessaro
