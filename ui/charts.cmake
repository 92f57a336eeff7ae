# skyrill_charts: the chart and wind-strip drawing library (filled in as it is built).
