#pragma once

#include <filesystem>
#include <optional>
#include <string>

// What a COM<n> entry in the port folder is to a simulator looking for a number.
enum class LinkState {
    absent,  // no entry
    stale,   // a link to a pseudo-terminal that is gone, or whose number now belongs to a
             // newer one: left by a killed simulator
    taken,   // anything else: a live device, or a link or file somebody else made
};

LinkState inspectLink(const std::filesystem::path& entry);

// A COM<n> link in the port folder that points at our device for as long as this object
// lives. Only links into the pseudo-terminal folder count as stale, so a user's own link
// to an adapter that is unplugged right now is never taken over.
class PortLink {
  public:
    // Makes the folder if needed and links COM<port> (or, without a port, the first free
    // number from 200 up) to the device. Nothing, with the reason in error, on failure.
    static std::optional<PortLink> claim(const std::filesystem::path& folder,
                                         std::optional<int> port, const std::string& device,
                                         std::string& error);

    PortLink(PortLink&& other) noexcept;
    PortLink& operator=(PortLink&&) = delete;
    PortLink(const PortLink&) = delete;
    PortLink& operator=(const PortLink&) = delete;
    // Removes the link, unless someone has pointed it elsewhere meanwhile.
    ~PortLink();

    int port() const { return port_; }
    const std::filesystem::path& path() const { return path_; }

  private:
    PortLink(int port, std::filesystem::path path, std::string device);

    int port_;
    std::filesystem::path path_;  // empty once moved from
    std::string device_;
};
