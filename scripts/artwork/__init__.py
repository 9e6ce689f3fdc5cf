"""Artwork pipeline of the resources: catalogue, raster formats, GIF writer, contact sheet."""
