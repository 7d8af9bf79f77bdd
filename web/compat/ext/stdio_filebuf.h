// The web build's stand-in for libstdc++'s __gnu_cxx::stdio_filebuf, which
// Emscripten's libc++ lacks: an input stream buffer over a C stream, enough
// for the project's file readers (files/regular_input), which the window
// itself does not read through.
#ifndef PALEOVIZ_WEB_COMPAT_STDIO_FILEBUF_H
#define PALEOVIZ_WEB_COMPAT_STDIO_FILEBUF_H

#include <cstdio>
#include <ios>
#include <streambuf>

namespace __gnu_cxx {

template <typename Char>
class stdio_filebuf : public std::basic_streambuf<Char> {
public:
    stdio_filebuf(std::FILE* file, std::ios_base::openmode) : file_(file) {}

protected:
    typename std::basic_streambuf<Char>::int_type underflow() override
    {
        if (file_ == nullptr)
            return std::basic_streambuf<Char>::traits_type::eof();
        const size_t n = std::fread(buffer_, sizeof(Char), sizeof buffer_ / sizeof(Char), file_);
        if (n == 0)
            return std::basic_streambuf<Char>::traits_type::eof();
        this->setg(buffer_, buffer_, buffer_ + n);
        return std::basic_streambuf<Char>::traits_type::to_int_type(buffer_[0]);
    }

private:
    std::FILE* file_;
    Char buffer_[4096];
};

}  // namespace __gnu_cxx

#endif
