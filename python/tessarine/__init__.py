"""Tessarine: analysis of spatially resolved single-cell data."""
