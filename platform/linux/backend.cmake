# Libraries of the Linux back end. Each back-end concern adds its packages here.
# (SDL2 for window and surfaces, GStreamer for media, libcurl for HTTP.)
