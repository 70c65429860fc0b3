#include "engine/core/image/JpegReader.h"

#include "engine/core/base/Format.h"
#include "engine/core/base/Report.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Ours longjmps back into decode(). Everything between the setjmp and any
// error_exit (decode's locals, the callbacks, libjpeg's own frames) is plain
// data: a longjmp would skip the destructor of any C++ object living there.

namespace {

constexpr uint32_t blockSize = 4096;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf escape;
};

struct StreamSource {
    jpeg_source_mgr pub;
    Stream* stream;
    bool atStartOfFile;
    JOCTET buffer[blockSize];
};

// Everything one decode needs, kept out of decode()'s own frame so that its
// values are well defined after the longjmp.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    StreamSource source;
    ImageFile* image;
};

void outputMessage(j_common_ptr cinfo)
{
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    reportError(formatStatic("JPEG: %s\n", text));
}

[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    // libjpeg reads 8-bit samples only: a 12-bit picture is named as such.
    if (cinfo->err->msg_code == JERR_BAD_PRECISION)
        reportError(formatStatic("loadJPEG: Unsupported %d-bit JPEG\n", cinfo->err->msg_parm.i[0]));
    else
        (*cinfo->err->output_message)(cinfo);
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->escape, 1);
}

void initSource(j_decompress_ptr cinfo)
{
    reinterpret_cast<StreamSource*>(cinfo->src)->atStartOfFile = true;
}

boolean fillInputBuffer(j_decompress_ptr cinfo)
{
    StreamSource* source = reinterpret_cast<StreamSource*>(cinfo->src);
    uint32_t count = source->stream->read(source->buffer, blockSize);
    if (count == 0) {
        if (source->atStartOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A cut-off file: warn and end the image here, so that libjpeg keeps
        // what it has decoded and fills the rest.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    source->atStartOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* source = cinfo->src;
    if (count <= 0)
        return;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        // Never returns FALSE: the end of the file becomes a fake end marker.
        (void)fillInputBuffer(cinfo);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr)
{
}

uint32_t toPixel(const JSAMPLE* sample, int components)
{
    if (components == 1)
        return 0xFF000000u | uint32_t(sample[0]) * 0x010101u;
    return 0xFF000000u | uint32_t(sample[0]) << 16 | uint32_t(sample[1]) << 8 | sample[2];
}

// Runs libjpeg over the job; true when the image was decoded. The image is
// allocated here, once the header has given its size.
bool decode(JpegJob& job)
{
    jpeg_decompress_struct* cinfo = &job.cinfo;
    cinfo->err = jpeg_std_error(&job.error.pub);
    job.error.pub.error_exit = errorExit;
    job.error.pub.output_message = outputMessage;
    if (setjmp(job.error.escape)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);

    job.source.pub.init_source = initSource;
    job.source.pub.fill_input_buffer = fillInputBuffer;
    job.source.pub.skip_input_data = skipInputData;
    job.source.pub.resync_to_restart = jpeg_resync_to_restart;
    job.source.pub.term_source = termSource;
    job.source.pub.bytes_in_buffer = 0;
    job.source.pub.next_input_byte = nullptr;
    cinfo->src = &job.source.pub;

    jpeg_read_header(cinfo, TRUE);
    // Checked before libjpeg sizes its own buffers from the header.
    if (!ImageFile::sizeAllowed(cinfo->image_width, cinfo->image_height)) {
        reportError(formatStatic("loadJPEG: Bad JPEG size: %u x %u\n", unsigned(cinfo->image_width),
                                 unsigned(cinfo->image_height)));
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) {
        reportError("loadJPEG: Unsupported CMYK JPEG\n");
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_start_decompress(cinfo);

    const int components = cinfo->output_components;
    const int depth = components * cinfo->data_precision;
    if (components == 1 ? depth != 8 : depth != 24) {
        reportError(formatStatic(components == 1 ? "loadJPEG: Wrong grayscale JPEG color depth: %d bit\n"
                                                 : "loadJPEG: Wrong non-grayscale JPEG color depth: %d bit\n",
                                 depth));
        jpeg_destroy_decompress(cinfo);
        return false;
    }

    job.image->allocate(int32_t(cinfo->output_width), int32_t(cinfo->output_height));
    JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                  cinfo->output_width * JDIMENSION(components), 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int32_t y = int32_t(cinfo->output_scanline);
        if (jpeg_read_scanlines(cinfo, line, 1) != 1)
            break;
        uint32_t* out = job.image->row(y);
        const JSAMPLE* in = line[0];
        for (int32_t x = 0; x < job.image->width; ++x, in += components)
            out[x] = toPixel(in, components);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return true;
}

} // namespace

std::unique_ptr<ImageFile> loadJPEG(Stream& stream, const char* name, int flag)
{
    if (!stream.openRead(name))
        return nullptr;
    auto image = std::make_unique<ImageFile>();
    image->name.assignCString(name);
    auto job = std::make_unique<JpegJob>();
    job->source.stream = &stream;
    job->image = image.get();
    const bool decoded = decode(*job);
    stream.close();
    if (!decoded)
        return nullptr;
    return image;
}
