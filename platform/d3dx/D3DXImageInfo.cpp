#include "platform/d3dx/D3DXImageInfo.h"

#include "platform/d3dx/DdsImage.h"

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info)
{
    if (!data || size == 0 || !info)
        return D3DERR_INVALIDCALL;
    DdsImage image;
    const HRESULT hr = image.parse(data, size);
    if (FAILED(hr)) {
        reportDdsRefusal(image);
        return hr;
    }
    *info = image.info();
    return D3D_OK;
}
