// Holds one bitmap, knows its size, and deletes it when destroyed.
#pragma once

#include <windows.h>

class CImage {
 public:
  CImage() = default;
  ~CImage() { Destroy(); }
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // Takes ownership of hBitmap (null leaves the image empty) and records its width and height.
  void Attach(HBITMAP hBitmap);
  // Deletes the bitmap, if any.
  void Destroy();

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }

  // Copies the source rectangle of the bitmap to the destination rectangle of hDestDC, leaving out
  // every pixel of colour crTransparent. An empty image draws nothing and returns FALSE.
  BOOL TransparentBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc,
                      int nSrcWidth, int nSrcHeight, UINT crTransparent) const;

 private:
  HBITMAP m_hBitmap = nullptr;
  int m_nWidth = 0;
  int m_nHeight = 0;
};
