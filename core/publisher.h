#pragma once

// The publisher's web server: every web link of the program is built on this one address.
inline constexpr const char* PublisherWebHost = "https://filekreller.example.org";
