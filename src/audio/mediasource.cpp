#include "audio/mediasource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "audio/constants.h"
#include "audio/families.h"
#include "common/log.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace audio::detail {

namespace {

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool startsWith(const char* s, const char* prefix) { return std::strncmp(s, prefix, std::strlen(prefix)) == 0; }

// DSD decoders give 1/8 of the bit rate (352.8 kHz for DSD64); play it as
// 88.2 kHz PCM so effects and output do not run at DSD speed.
constexpr int kDsdRate = 88200;
constexpr int kMaxDecodeErrors = 64;

uint32_t ctypeOf(const std::string& demuxer, const AVCodecParameters* cp) {
    switch (cp->codec_id) {
    case AV_CODEC_ID_MP1: return CTYPE_STREAM_MP1;
    case AV_CODEC_ID_MP2: return CTYPE_STREAM_MP2;
    case AV_CODEC_ID_MP3: return CTYPE_STREAM_MP3;
    case AV_CODEC_ID_VORBIS: return CTYPE_STREAM_OGG;
    default: break;
    }
    if (demuxer == "aiff") return CTYPE_STREAM_AIFF;
    if (demuxer == "wav" || demuxer == "w64") {
        if (cp->codec_id == AV_CODEC_ID_PCM_F32LE || cp->codec_id == AV_CODEC_ID_PCM_F64LE)
            return CTYPE_STREAM_WAV_FLOAT;
        if (cp->codec_tag == 1 || cp->codec_tag == 0xFFFE) return CTYPE_STREAM_WAV_PCM;
        return CTYPE_STREAM_WAV | (cp->codec_tag & 0xFFFF);
    }
    return CTYPE_STREAM;
}

// An MPEG audio frame header: sync, a layer, a bit rate and a sample rate.
bool mpegAudioHeader(const unsigned char* b) {
    return b[0] == 0xFF && (b[1] & 0xE0) == 0xE0 && (b[1] & 0x06) != 0 && (b[1] & 0x18) != 0x08 &&
           (b[2] & 0xF0) != 0xF0 && (b[2] & 0xF0) != 0 && (b[2] & 0x0C) != 0x0C;
}

// A URL as a log line may show it: without a user name and password.
std::string withoutCredentials(const std::string& url) {
    size_t scheme = url.find("://");
    if (scheme == std::string::npos) return url;
    size_t host = scheme + 3, at = url.find('@', host), slash = url.find('/', host);
    if (at == std::string::npos || (slash != std::string::npos && slash < at)) return url;
    return url.substr(0, host) + url.substr(at + 1);
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The demuxer that a local file's first bytes leave no doubt about, if any.
std::string sniffedDemuxer(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    unsigned char b[12] = {};
    size_t n = std::fread(b, 1, sizeof b, f);
    bool id3 = n >= 10 && std::memcmp(b, "ID3", 3) == 0 && b[3] <= 4 && !((b[6] | b[7] | b[8] | b[9]) & 0x80);
    if (id3) {
        long size = 10 + ((long{b[6]} << 21) | (long{b[7]} << 14) | (long{b[8]} << 7) | b[9]) + (b[5] & 0x10 ? 10 : 0);
        n = std::fseek(f, size, SEEK_SET) == 0 ? std::fread(b, 1, sizeof b, f) : 0;
    }
    std::fclose(f);
    if (n >= 4 && std::memcmp(b, "fLaC", 4) == 0) return "flac";
    if (id3) return n >= 4 && mpegAudioHeader(b) ? "mp3" : "";
    if (n >= 12 && std::memcmp(b, "RIFF", 4) == 0 && std::memcmp(b + 8, "WAVE", 4) == 0) return "wav";
    if (n >= 5 && std::memcmp(b, "OggS", 5) == 0) return "ogg";
    return {};
}

}  // namespace

struct MediaSource::Impl {
    AVFormatContext* fc = nullptr;
    AVCodecContext* dec = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* pkt = nullptr;
    AVFrame* frm = nullptr;
    AVStream* st = nullptr;
    int si = -1;
    int srcRate = 0, outRate = 0, outChans = 0;
    // what swr was set up for, so that a change mid-stream re-creates it
    int swrFormat = -1, swrRate = 0;
    AVChannelLayout swrLayout{};
    int64_t startTs = 0;      // stream start in stream time base
    int64_t nextStart = 0;    // output frame of the next decoded frame
    bool locate = false;      // take nextStart from the next frame's timestamp
    bool calibrated = false;  // startTs has been taken from the first frame
    int64_t skipTo = 0;       // decoded frames before this one are dropped
    int64_t clampTo = -1;     // frames past this one are dropped (MP4 end padding)
    int64_t preroll = 0;      // source samples decoded before a seek target
    std::vector<float> pend;  // converted frames not yet read
    size_t pendOff = 0;       // floats already read from pend
    int64_t pendStart = 0;    // output frame of pend[pendOff]
    bool inputEof = false, eof = false;
    int errors = 0;
    std::atomic<int64_t> firstPacketPos{-1};
    std::atomic<int64_t> fileSize{-1}, filePos{0};
    const std::atomic<bool>* abort = nullptr;
    std::atomic<int64_t> deadline{0};
    std::string lastMeta;
    std::string url;       // as the log names it
    bool playing = false;  // opened: an end from now on is a drop worth a log line

    // Decoding runs on a channel's feeder thread (or an offline render),
    // never in the device callback, so it may log.
    void dropped(bool net, std::string_view why) const {
        if (!playing || (abort && abort->load())) return;
        common::log::warn("audio.stream", net ? "the stream \"" : "the file \"", url, "\" ended early: ", why);
    }

    static int interrupted(void* opaque) {
        auto* p = static_cast<Impl*>(opaque);
        if (p->abort && p->abort->load()) return 1;
        int64_t dl = p->deadline.load();
        return dl > 0 && nowMs() > dl ? 1 : 0;
    }

    ~Impl() {
        swr_free(&swr);
        av_channel_layout_uninit(&swrLayout);
        av_frame_free(&frm);
        av_packet_free(&pkt);
        avcodec_free_context(&dec);
        avformat_close_input(&fc);
    }

    size_t pendFrames() const { return outChans ? (pend.size() - pendOff) / outChans : 0; }

    bool ensureSwr(const AVFrame* f) {
        if (swr && f->format == swrFormat && f->sample_rate == swrRate &&
            av_channel_layout_compare(&f->ch_layout, &swrLayout) == 0)
            return true;
        swr_free(&swr);
        av_channel_layout_uninit(&swrLayout);
        AVChannelLayout in{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || f->ch_layout.nb_channels == 0)
            av_channel_layout_default(&in, std::max(1, f->ch_layout.nb_channels));
        else av_channel_layout_copy(&in, &f->ch_layout);
        AVChannelLayout out{};
        av_channel_layout_default(&out, outChans);
        int r = swr_alloc_set_opts2(&swr, &out, AV_SAMPLE_FMT_FLT, outRate, &in, static_cast<AVSampleFormat>(f->format),
                                    f->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (r < 0 || swr_init(swr) < 0) {
            swr_free(&swr);
            return false;
        }
        swrFormat = f->format;
        swrRate = f->sample_rate;
        av_channel_layout_copy(&swrLayout, &f->ch_layout);
        return true;
    }

    void compact() {
        if (pendOff == pend.size()) {
            pend.clear();
            pendOff = 0;
        } else if (pendOff > (1u << 16)) {
            pend.erase(pend.begin(), pend.begin() + static_cast<ptrdiff_t>(pendOff));
            pendOff = 0;
        }
    }

    // Appends converted frames starting at output frame `start`, dropping
    // what lies before skipTo or past clampTo.
    void append(const uint8_t** data, int nbSamples, int64_t start) {
        compact();
        int cap = swr_get_out_samples(swr, nbSamples);
        if (cap <= 0) return;
        size_t base = pend.size();
        pend.resize(base + static_cast<size_t>(cap) * outChans);
        uint8_t* outp = reinterpret_cast<uint8_t*>(pend.data() + base);
        int got = swr_convert(swr, &outp, cap, data, nbSamples);
        if (got < 0) got = 0;
        pend.resize(base + static_cast<size_t>(got) * outChans);
        if (pendFrames() == static_cast<size_t>(got)) pendStart = start;
        nextStart = start + got;
        int64_t drop = std::min<int64_t>(got, skipTo - start);
        if (drop > 0) {
            pend.erase(pend.begin() + static_cast<ptrdiff_t>(base),
                       pend.begin() + static_cast<ptrdiff_t>(base + drop * outChans));
            if (pendFrames() == static_cast<size_t>(got - drop)) pendStart = start + drop;
        }
        if (clampTo >= 0) {
            int64_t end = pendStart + static_cast<int64_t>(pendFrames());
            if (end > clampTo) {
                int64_t cut = std::min<int64_t>(end - clampTo, static_cast<int64_t>(pendFrames()));
                pend.resize(pend.size() - static_cast<size_t>(cut) * outChans);
            }
        }
    }

    void handleFrame() {
        if (!ensureSwr(frm)) {
            ++errors;
            return;
        }
        int64_t start = nextStart;
        if (!calibrated) {
            // The timestamp of output frame 0, once decoder delays are applied:
            // containers disagree on what their start time means.
            calibrated = true;
            if (frm->best_effort_timestamp != AV_NOPTS_VALUE)
                startTs = frm->best_effort_timestamp - av_rescale_q(start, AVRational{1, outRate}, st->time_base);
        }
        if (locate) {
            if (frm->best_effort_timestamp != AV_NOPTS_VALUE)
                start = av_rescale_q(frm->best_effort_timestamp - startTs, st->time_base, AVRational{1, outRate});
            locate = false;
        }
        append(const_cast<const uint8_t**>(frm->extended_data), frm->nb_samples, start);
        av_frame_unref(frm);
        errors = 0;
    }

    // Frames of the whole stream by reading packets without decoding; the
    // skip side data carries the encoder delay and padding of gapless MP3.
    int64_t scanLength(const std::string& url) const {
        AVFormatContext* c = nullptr;
        AVDictionary* opts = nullptr;
        av_dict_set(&opts, "protocol_whitelist", "file,subfile", 0);
        av_dict_set(&opts, "format_whitelist", localDemuxers(), 0);
        int r = avformat_open_input(&c, url.c_str(), nullptr, &opts);
        av_dict_free(&opts);
        if (r < 0) return -1;
        // Raw streams (ADTS, AC-3) get packet durations from the parser only after this.
        avformat_find_stream_info(c, nullptr);
        PacketTally tally;
        AVPacket* p = av_packet_alloc();
        while (av_read_frame(c, p) >= 0) {
            tally.add(p, si);
            av_packet_unref(p);
        }
        AVRational tb = si < static_cast<int>(c->nb_streams) ? c->streams[si]->time_base : st->time_base;
        av_packet_free(&p);
        avformat_close_input(&c);
        return tally.frames(tb, srcRate);
    }

    // What a packet scan adds up: durations, and the encoder delay and
    // padding that the skip side data of gapless MP3 carries.
    struct PacketTally {
        int64_t dur = 0, skipped = 0;
        bool any = false;
        void add(const AVPacket* p, int stream) {
            if (p->stream_index != stream) return;
            any = true;
            dur += p->duration;
            size_t n = 0;
            const uint8_t* sd = av_packet_get_side_data(p, AV_PKT_DATA_SKIP_SAMPLES, &n);
            if (sd && n >= 8) skipped += static_cast<int64_t>(AV_RL32(sd)) + AV_RL32(sd + 4);
        }
        int64_t frames(AVRational tb, int rate) const {
            if (!any || dur <= 0) return -1;
            return av_rescale_q(dur, tb, AVRational{1, rate}) - skipped;
        }
    };
    // Counts the packets decodeMore reads, for a length-only open.
    PacketTally* tally = nullptr;
};

MediaSource::MediaSource() : p_(std::make_unique<Impl>()) {}
MediaSource::~MediaSource() = default;

std::unique_ptr<MediaSource> MediaSource::open(const MediaOpen& how, int& error) {
    if (how.lengthOnly && !how.net && !how.offset && !how.length && how.demuxer.empty()) {
        MediaOpen direct = how;
        direct.demuxer = sniffedDemuxer(how.url);
        if (!direct.demuxer.empty())
            if (auto s = open(direct, error)) return s;
    }
    std::unique_ptr<MediaSource> s(new MediaSource);
    Impl& p = *s->p_;
    s->net_ = how.net;
    p.abort = how.abort;

    std::string url = how.url;
    if (!how.net) {
        url = "file:" + url;
        if (how.offset || how.length)
            url = "subfile,,start," + std::to_string(how.offset) + ",end," +
                  std::to_string(how.length ? how.offset + how.length : 0) + ",,:" + url;
    }

    p.fc = avformat_alloc_context();
    if (!p.fc) {
        error = ERROR_MEM;
        return nullptr;
    }
    p.fc->interrupt_callback.callback = &Impl::interrupted;
    p.fc->interrupt_callback.opaque = &p;
    AVDictionary* opts = nullptr;
    if (!how.net) {
        // Only demuxers of our families may probe a local file: a text file that
        // looks like a playlist (HLS, concat) must not open other files or URLs.
        av_dict_set(&opts, "protocol_whitelist", "file,subfile", 0);
        av_dict_set(&opts, "format_whitelist", localDemuxers(), 0);
    }
    if (how.net) {
        // A playlist fetched from the network must not reach local files.
        av_dict_set(&opts, "protocol_whitelist", "http,https,tls,tcp,crypto", 0);
        av_dict_set(&opts, "icy", "1", 0);
        av_dict_set(&opts, "user_agent", "Orvelin/0.1", 0);
        if (how.readTimeoutMs) av_dict_set_int(&opts, "rw_timeout", int64_t{how.readTimeoutMs} * 1000, 0);
        p.deadline = nowMs() + std::max<uint32_t>(how.connectTimeoutMs, 100);
    }
    const AVInputFormat* format = how.demuxer.empty() ? nullptr : av_find_input_format(how.demuxer.c_str());
    int r = avformat_open_input(&p.fc, url.c_str(), format, &opts);
    av_dict_free(&opts);
    if (r < 0) {
        bool timedOut = r == AVERROR_EXIT && !(how.abort && how.abort->load());
        error = timedOut ? ERROR_TIMEOUT : (r == AVERROR_INVALIDDATA ? ERROR_FORMAT : ERROR_FILEOPEN);
        if (!how.net && r == AVERROR_INVALIDDATA) error = ERROR_FORMAT;
        return nullptr;  // avformat_open_input freed the context
    }
    std::string demuxer = p.fc->iformat->name;

    auto pick = [&]() {
        p.si = av_find_best_stream(p.fc, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        return p.si >= 0;
    };
    bool probed = false;
    if (!pick() || p.fc->streams[p.si]->codecpar->codec_id == AV_CODEC_ID_NONE) {
        avformat_find_stream_info(p.fc, nullptr);
        probed = true;
        if (!pick()) {
            error = ERROR_NOTAUDIO;
            return nullptr;
        }
    }
    p.st = p.fc->streams[p.si];
    std::string codec = avcodec_get_name(p.st->codecpar->codec_id);
    if (how.accepts && !how.accepts(demuxer, codec)) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    // A length-only look at FLAC needs no stream search: its STREAMINFO holds
    // the rate, the channels and the length, and the search would only decode
    // a frame to learn the sample format.
    bool described = how.lengthOnly && demuxer == "flac" && p.st->duration != AV_NOPTS_VALUE && p.st->duration > 0;
    if (!probed && !described && avformat_find_stream_info(p.fc, nullptr) < 0 && how.net) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    for (unsigned i = 0; i < p.fc->nb_streams; ++i)
        if (static_cast<int>(i) != p.si) p.fc->streams[i]->discard = AVDISCARD_ALL;

    const AVCodecParameters* cp = p.st->codecpar;
    const AVCodec* c = avcodec_find_decoder(cp->codec_id);
    if (!c) {
        error = ERROR_CODEC;
        return nullptr;
    }
    p.dec = avcodec_alloc_context3(c);
    if (!p.dec || avcodec_parameters_to_context(p.dec, cp) < 0) {
        error = ERROR_MEM;
        return nullptr;
    }
    p.dec->pkt_timebase = p.st->time_base;
    if (avcodec_open2(p.dec, c, nullptr) < 0) {
        error = ERROR_CODEC;
        return nullptr;
    }
    p.pkt = av_packet_alloc();
    p.frm = av_frame_alloc();
    p.srcRate = cp->sample_rate > 0 ? cp->sample_rate : p.dec->sample_rate;
    if (p.srcRate <= 0) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    bool dsd = startsWith(codec.c_str(), "dsd_");
    p.outRate = dsd ? kDsdRate : p.srcRate;
    int chans = cp->ch_layout.nb_channels > 0 ? cp->ch_layout.nb_channels : p.dec->ch_layout.nb_channels;
    p.outChans = chans == 1 ? 1 : 2;
    p.startTs = p.st->start_time != AV_NOPTS_VALUE ? p.st->start_time : 0;
    if (cp->codec_id == AV_CODEC_ID_MP3 || cp->codec_id == AV_CODEC_ID_MP2) p.preroll = 2 * 1152;  // bit reservoir
    p.preroll = std::max<int64_t>(p.preroll, cp->seek_preroll);

    SourceInfo& in = s->info_;
    in.rate = static_cast<uint32_t>(p.outRate);
    in.chans = static_cast<uint32_t>(p.outChans);
    in.eightBit = cp->codec_id == AV_CODEC_ID_PCM_U8 || cp->codec_id == AV_CODEC_ID_PCM_S8 ||
                  cp->codec_id == AV_CODEC_ID_PCM_S8_PLANAR;
    in.ctype = ctypeOf(demuxer, cp);
    int bits = cp->bits_per_raw_sample ? cp->bits_per_raw_sample : cp->bits_per_coded_sample;
    if (!bits && cp->format >= 0) bits = av_get_bytes_per_sample(static_cast<AVSampleFormat>(cp->format)) * 8;
    in.origres = static_cast<uint32_t>(bits);
    if (cp->codec_id == AV_CODEC_ID_PCM_F32LE || cp->codec_id == AV_CODEC_ID_PCM_F64LE ||
        cp->codec_id == AV_CODEC_ID_PCM_F32BE || cp->codec_id == AV_CODEC_ID_PCM_F64BE)
        in.origres |= ORIGRES_FLOAT;

    if (p.fc->pb) p.fileSize = avio_size(p.fc->pb);

    // Length: the container's figure where it is exact; a packet scan where it
    // is only estimated from the bit rate. EOF corrects it in any case.
    bool estimated = p.fc->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    bool scan = !how.net && (estimated || demuxer == "mp3");
    auto setLength = [&](int64_t len) {
        if (len < 0 && p.st->duration != AV_NOPTS_VALUE && p.st->duration > 0) {
            len = av_rescale_q(p.st->duration, p.st->time_base, AVRational{1, p.srcRate});
            if (cp->codec_id == AV_CODEC_ID_OPUS) len -= cp->initial_padding;
        }
        if (len < 0 && p.fc->duration != AV_NOPTS_VALUE && p.fc->duration > 0 && !how.net)
            len = av_rescale_q(p.fc->duration, AV_TIME_BASE_Q, AVRational{1, p.srcRate});
        if (len >= 0 && dsd) len = av_rescale(len, p.outRate, p.srcRate);
        s->length_ = len < 0 ? -1 : std::max<int64_t>(0, len);
    };
    if (how.lengthOnly) {
        // The same checks and the same figure as below, from one pass over the file.
        Impl::PacketTally tally;
        p.tally = &tally;
        if (!scan) {
            setLength(-1);
            if (demuxer.rfind("mov,mp4", 0) == 0 && s->length_ > 0) p.clampTo = s->length_;
        }
        while (p.pendFrames() == 0 && !p.eof) s->decodeMore();
        p.tally = nullptr;
        if (p.pendFrames() == 0 && p.errors > 0) {
            error = ERROR_FORMAT;
            return nullptr;
        }
        if (scan) {
            if (!p.inputEof)
                while (av_read_frame(p.fc, p.pkt) >= 0) {
                    tally.add(p.pkt, p.si);
                    av_packet_unref(p.pkt);
                }
            setLength(tally.frames(p.st->time_base, p.srcRate));
        }
        error = ERROR_OK;
        return s;
    }
    setLength(scan ? p.scanLength(url) : -1);
    if (demuxer.rfind("mov,mp4", 0) == 0 && s->length_ > 0) p.clampTo = s->length_;

    if (p.fc->bit_rate > 0) s->bitrate_ = p.fc->bit_rate / 1000.0;
    else if (cp->bit_rate > 0) s->bitrate_ = cp->bit_rate / 1000.0;
    else if (p.fileSize > 0 && s->length_ > 0)
        s->bitrate_ = p.fileSize * 8.0 / (static_cast<double>(s->length_) / p.outRate) / 1000.0;

    if (how.net) {
        auto get = [&](const char* key) {
            uint8_t* v = nullptr;
            std::string out;
            if (av_opt_get(p.fc->pb, key, AV_OPT_SEARCH_CHILDREN, &v) >= 0 && v) out = reinterpret_cast<char*>(v);
            av_free(v);
            return out;
        };
        std::string version = get("http_version"), mime = get("mime_type"), icy = get("icy_metadata_headers");
        // Lines come as "name: value\n"; the player reads "name:value".
        std::string lines;
        size_t at = 0;
        while (at < icy.size()) {
            size_t nl = icy.find('\n', at);
            std::string line = icy.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
            at = nl == std::string::npos ? icy.size() : nl + 1;
            size_t colon = line.find(':');
            if (colon == std::string::npos) continue;
            size_t v = colon + 1;
            if (v < line.size() && line[v] == ' ') ++v;
            lines += line.substr(0, colon + 1) + line.substr(v);
            lines.push_back('\0');
        }
        std::lock_guard lock(s->tags_.mu);
        if (version.empty()) {
            s->tags_.icy = std::string("ICY 200 OK") + '\0' + lines + '\0';
        } else {
            std::string block = "HTTP/" + version + " 200 OK" + '\0';
            if (!mime.empty()) block += "Content-Type:" + mime + '\0';
            s->tags_.http = block + lines + '\0';
        }
    }

    // A file that yields no audio at all is not one of ours.
    while (p.pendFrames() == 0 && !p.eof) s->decodeMore();
    if (p.pendFrames() == 0 && p.errors > 0) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    p.deadline = 0;
    p.url = withoutCredentials(how.url);
    p.playing = true;
    error = ERROR_OK;
    return s;
}

std::string MediaSource::fetch(const MediaOpen& how, size_t maxBytes) {
    Impl p;  // only for its interrupt state
    p.abort = how.abort;
    p.deadline = nowMs() + std::max<uint32_t>(how.connectTimeoutMs, 100);
    AVIOInterruptCB cb{&Impl::interrupted, &p};
    AVDictionary* opts = nullptr;
    av_dict_set(&opts, "protocol_whitelist", "http,https,tls,tcp", 0);
    av_dict_set(&opts, "user_agent", "Orvelin/0.1", 0);
    AVIOContext* pb = nullptr;
    int r = avio_open2(&pb, how.url.c_str(), AVIO_FLAG_READ, &cb, &opts);
    av_dict_free(&opts);
    if (r < 0) return "";
    std::string text(maxBytes, '\0');
    size_t got = 0;
    while (got < maxBytes) {
        int n = avio_read(pb, reinterpret_cast<unsigned char*>(&text[got]), static_cast<int>(maxBytes - got));
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    avio_closep(&pb);
    text.resize(got);
    return text;
}

void MediaSource::pollMeta() {
    Impl& p = *p_;
    uint8_t* v = nullptr;
    if (av_opt_get(p.fc->pb, "icy_metadata_packet", AV_OPT_SEARCH_CHILDREN, &v) >= 0 && v && *v) {
        std::string text(reinterpret_cast<char*>(v));
        if (text != p.lastMeta) {
            p.lastMeta = text;
            std::lock_guard lock(tags_.mu);
            int64_t at = p.pendStart + static_cast<int64_t>(p.pendFrames());
            tags_.meta.push_back({at, text});
            if (tags_.meta.size() > 64) tags_.meta.erase(tags_.meta.begin());
        }
    }
    av_free(v);
}

void MediaSource::giveUp() {
    p_->dropped(net_, std::to_string(kMaxDecodeErrors) + " decoding errors in a row");
    p_->eof = true;
}

bool MediaSource::decodeMore() {
    Impl& p = *p_;
    while (!p.eof) {
        int r = avcodec_receive_frame(p.dec, p.frm);
        if (r == 0) {
            p.handleFrame();
            return true;
        }
        if (r == AVERROR_EOF) {
            p.eof = true;
            break;
        }
        if (r != AVERROR(EAGAIN)) {
            if (++p.errors > kMaxDecodeErrors) giveUp();
            continue;
        }
        if (p.inputEof) {
            p.eof = true;
            break;
        }
        r = av_read_frame(p.fc, p.pkt);
        if (net_) pollMeta();
        if (r < 0) {
            // A file ends at its end; a radio stream has none.
            if (net_ || r != AVERROR_EOF) p.dropped(net_, avError(r));
            p.inputEof = true;
            avcodec_send_packet(p.dec, nullptr);
            continue;
        }
        if (p.tally) p.tally->add(p.pkt, p.si);
        if (p.pkt->stream_index == p.si) {
            if (p.firstPacketPos < 0) p.firstPacketPos = p.pkt->pos;
            if (p.pkt->pos >= 0) p.filePos = p.pkt->pos;
            r = avcodec_send_packet(p.dec, p.pkt);
            if (r < 0 && r != AVERROR(EAGAIN) && ++p.errors > kMaxDecodeErrors) giveUp();
        }
        av_packet_unref(p.pkt);
    }
    return false;
}

size_t MediaSource::read(float* out, size_t frames) {
    Impl& p = *p_;
    size_t n = 0;
    bool first = true;
    while (n < frames) {
        size_t avail = p.pendFrames();
        if (avail == 0) {
            if (p.eof || !decodeMore()) {
                if (p.pendFrames() == 0) break;
            }
            continue;
        }
        if (first) {
            readStart_ = p.pendStart;
            first = false;
        }
        size_t take = std::min(avail, frames - n);
        std::memcpy(out + n * p.outChans, p.pend.data() + p.pendOff, take * p.outChans * sizeof(float));
        p.pendOff += take * p.outChans;
        p.pendStart += static_cast<int64_t>(take);
        n += take;
    }
    if (first) readStart_ = p.pendStart;
    return n;
}

bool MediaSource::seekable() const { return !net_ && p_->fc->pb && (p_->fc->pb->seekable & AVIO_SEEKABLE_NORMAL); }

bool MediaSource::seek(int64_t frame) {
    Impl& p = *p_;
    if (!seekable()) return false;
    int64_t srcFrame = av_rescale(frame, p.srcRate, p.outRate);
    int64_t ts =
        av_rescale_q(std::max<int64_t>(0, srcFrame - p.preroll), AVRational{1, p.srcRate}, p.st->time_base) + p.startTs;
    if (frame == 0 || ts < p.startTs) ts = p.startTs;
    if (av_seek_frame(p.fc, p.si, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
        avformat_seek_file(p.fc, p.si, INT64_MIN, ts, ts, 0) < 0 &&
        avformat_seek_file(p.fc, p.si, INT64_MIN, INT64_MIN, INT64_MIN, 0) < 0)
        return false;
    avcodec_flush_buffers(p.dec);
    swr_free(&p.swr);
    p.pend.clear();
    p.pendOff = 0;
    p.inputEof = p.eof = false;
    p.errors = 0;
    p.skipTo = frame;
    p.locate = true;
    p.nextStart = frame;
    p.pendStart = frame;
    return true;
}

int64_t MediaSource::filePosition(uint32_t mode) const {
    const Impl& p = *p_;
    int64_t start = std::max<int64_t>(0, p.firstPacketPos);
    switch (mode) {
    case FILEPOS_SIZE:
    case FILEPOS_END: return p.fileSize.load() >= 0 ? p.fileSize.load() : -1;
    case FILEPOS_START: return start;
    case FILEPOS_CURRENT: return std::max<int64_t>(0, p.filePos.load() - start);
    case FILEPOS_DOWNLOAD: return net_ ? p.filePos.load() : p.fileSize.load();
    case FILEPOS_CONNECTED: return net_ ? 1 : -1;
    default: return -1;
    }
}

}  // namespace audio::detail
