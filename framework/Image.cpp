#include "Image.h"

void CImage::Attach(HBITMAP hBitmap) {
  Destroy();
  BITMAP info = {};
  if (hBitmap == nullptr || GetObjectA(hBitmap, sizeof info, &info) == 0) return;
  m_hBitmap = hBitmap;
  m_nWidth = info.bmWidth;
  m_nHeight = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
}

void CImage::Destroy() {
  if (m_hBitmap != nullptr) DeleteObject(m_hBitmap);
  m_hBitmap = nullptr;
  m_nWidth = m_nHeight = 0;
}

BOOL CImage::TransparentBlt(HDC hDestDC, int xDest, int yDest, int nDestWidth, int nDestHeight, int xSrc, int ySrc,
                            int nSrcWidth, int nSrcHeight, UINT crTransparent) const {
  if (m_hBitmap == nullptr) return FALSE;
  HDC source = CreateCompatibleDC(hDestDC);
  if (source == nullptr) return FALSE;
  // The bitmap must be selected out again before it can be deleted: a bitmap still selected into a
  // DC is only marked for deletion.
  HGDIOBJ previous = SelectObject(source, m_hBitmap);
  // gdi32's own colour-keyed copy, which msimg32's TransparentBlt hands over to: gdi32 is a known
  // library, always the system folder's, while a file named msimg32.dll beside the program would be
  // loaded in place of the system's.
  const BOOL drawn = GdiTransparentBlt(hDestDC, xDest, yDest, nDestWidth, nDestHeight, source, xSrc, ySrc, nSrcWidth,
                                     nSrcHeight, crTransparent);
  SelectObject(source, previous);
  DeleteDC(source);
  return drawn;
}
